#include "switcher/logic/ResourceTokens.h"

namespace switcher {

ResourceTokens::ResourceTokens(std::wstring_view text, std::wstring_view separators) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t begin = text.find_first_not_of(separators, pos);
        if (begin == std::wstring_view::npos) {
            break;
        }
        std::size_t end = text.find_first_of(separators, begin);
        if (end == std::wstring_view::npos) {
            end = text.size();
        }
        tokens_.emplace_back(text.substr(begin, end - begin));
        pos = end;
    }
}

const std::wstring& ResourceTokens::operator[](std::size_t index) const {
    return index < tokens_.size() ? tokens_[index] : none_;
}

} // namespace switcher
