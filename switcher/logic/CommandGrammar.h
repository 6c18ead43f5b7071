// The switcher's command line: [debug] [prompt TEXT] [close | close_conti], words separated by
// spaces, compared without regard to letter case. Windows-free, so that it is unit-tested.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace switcher {

// What a second copy is asked to do with the running one.
enum class StartAction {
    Stay,          // any other action token: the running copy stays, this one quits
    Close,         // "close": the running copy ends, this one quits too
    CloseContinue, // "close_conti": the running copy ends, this one takes over
};

// One trace line of the reading, in the order it is produced: a format with one "%s".
struct GrammarTrace {
    const wchar_t* format;
    std::wstring token;
};

struct CommandLineReading {
    bool debug = false;
    std::wstring prompt; // read and traced, not otherwise used
    std::wstring action; // the last token read; empty when there was none
    std::vector<GrammarTrace> traces;

    StartAction Action() const;
};

// Splits at single spaces the way wcstok does: runs of spaces separate, and leading or trailing
// ones are skipped. Tabs are part of a word.
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

CommandLineReading ReadCommandLine(std::wstring_view line);

// "close" and "close_conti" in any letter case; anything else lets the running copy stay.
StartAction ClassifyAction(std::wstring_view action);

// Case-insensitive comparison of ASCII letters, the only ones the grammar's words hold.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

} // namespace switcher
