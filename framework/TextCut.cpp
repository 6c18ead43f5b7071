#include "framework/TextCut.h"

namespace framework {

std::size_t FittingBytes(std::string_view text, std::size_t maxBytes,
                         LeadBytePredicate isLeadByte) {
    std::size_t at = 0;
    while (at < text.size()) {
        const bool lead = isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(text[at]));
        const std::size_t width = lead && at + 1 < text.size() ? 2 : 1;
        if (at + width > maxBytes) {
            break;
        }
        at += width;
    }
    return at;
}

std::size_t WholeCharacterBytes(std::string_view text, LeadBytePredicate isLeadByte) {
    std::size_t at = 0;
    while (at < text.size()) {
        const bool lead = isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(text[at]));
        if (lead && at + 1 == text.size()) {
            return at;
        }
        at += lead ? 2 : 1;
    }
    return text.size();
}

std::string CutToBytes(std::string_view text, std::size_t maxBytes, LeadBytePredicate isLeadByte) {
    return std::string(text.substr(0, FittingBytes(text, maxBytes, isLeadByte)));
}

} // namespace framework
