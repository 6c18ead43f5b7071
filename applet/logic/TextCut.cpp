#include "TextCut.h"

namespace applet {

std::string CutToBytes(const std::string& text, std::size_t maxBytes,
                       const std::function<bool(unsigned char)>& isLeadByte) {
    std::size_t at = 0;
    while (at < text.size()) {
        const bool lead = isLeadByte && isLeadByte(static_cast<unsigned char>(text[at]));
        const std::size_t width = lead && at + 1 < text.size() ? 2 : 1;
        if (at + width > maxBytes) {
            break;
        }
        at += width;
    }
    return text.substr(0, at);
}

} // namespace applet
