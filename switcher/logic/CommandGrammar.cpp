#include "switcher/logic/CommandGrammar.h"

#include <algorithm>
#include <cstddef>

#include "switcher/logic/ResourceTokens.h"

namespace switcher {

namespace {

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Hands out the words one by one; past the last one it gives empty strings, as the grammar
// counts a missing token as an empty one.
class TokenCursor {
public:
    explicit TokenCursor(std::vector<std::wstring> words) : words_(std::move(words)) {}

    std::wstring Next() { return next_ < words_.size() ? words_[next_++] : std::wstring(); }

private:
    std::vector<std::wstring> words_;
    std::size_t next_ = 0;
};

} // namespace

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

StartAction CommandLineReading::Action() const {
    return ClassifyAction(action);
}

StartAction ClassifyAction(std::wstring_view action) {
    if (EqualsNoCase(action, L"close")) {
        return StartAction::Close;
    }
    if (EqualsNoCase(action, L"close_conti")) {
        return StartAction::CloseContinue;
    }
    return StartAction::Stay;
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    return SplitWords(line, L" ");
}

CommandLineReading ReadCommandLine(std::wstring_view line) {
    CommandLineReading reading;
    TokenCursor cursor(SplitCommandLine(line));
    std::wstring token = cursor.Next();
    reading.traces.push_back({L"1st Token=%s\n", token});
    if (EqualsNoCase(token, L"debug")) {
        reading.debug = true;
        token = cursor.Next();
        reading.traces.push_back({L"2nd Token=%s\n", token});
    }
    if (EqualsNoCase(token, L"prompt")) {
        reading.prompt = cursor.Next();
        reading.traces.push_back({L"Prompt=%s\n", reading.prompt});
        token = cursor.Next();
        reading.traces.push_back({L"3rd Token=%s\n", token});
    }
    reading.action = std::move(token);
    return reading;
}

} // namespace switcher
