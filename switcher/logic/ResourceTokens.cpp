#include "switcher/logic/ResourceTokens.h"

namespace switcher {

std::vector<std::wstring> SplitWords(std::wstring_view text, std::wstring_view separators) {
    std::vector<std::wstring> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(separators, at);
        if (start == std::wstring_view::npos) {
            break;
        }
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::wstring_view::npos) {
            end = text.size();
        }
        words.emplace_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

ResourceTokens::ResourceTokens(std::wstring_view text, std::wstring_view separators)
    : tokens_(SplitWords(text, separators)) {}

const std::wstring& ResourceTokens::operator[](std::size_t index) const {
    return index < tokens_.size() ? tokens_[index] : none_;
}

} // namespace switcher
