// Tokens of a string-table entry split at separator characters, the way the switcher's lists
// and texts are stored ("Sleep;Restart;Shut Down", the tab-separated battery texts).
//
// Runs of separators count as one and leading or trailing ones are skipped, so that a text
// beginning " \t \t..." yields the single blanks " " and " " as its first two tokens. Each list
// owns its tokens: a later split does not disturb an earlier one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace switcher {

// Splits like wcstok: runs of separators count as one, and empty words are dropped.
std::vector<std::wstring> SplitWords(std::wstring_view text, std::wstring_view separators);

class ResourceTokens {
public:
    ResourceTokens() = default;
    ResourceTokens(std::wstring_view text, std::wstring_view separators);

    // The token at `index`; an empty text past the last token.
    const std::wstring& operator[](std::size_t index) const;
    std::size_t Count() const { return tokens_.size(); }

private:
    std::vector<std::wstring> tokens_;
    std::wstring none_;
};

} // namespace switcher
