// Lines of the emulator's call journal. One line per call, fields separated by one tab:
//
//   time <TAB> process <TAB> library <TAB> function <TAB> arguments <TAB> result <LF>
//
// time is local time "YYYY-MM-DD hh:mm:ss.mmm", process the decimal process id. arguments are
// space-separated name=value pairs: numbers bare (decimal, or 0x and eight hex digits), words
// bare (null, TRUE), text in double quotes with \\ \" \t \n \r and \xNN escapes. result is the
// call's outcome in the same notation, its first word the returned value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace emulator {

inline constexpr std::size_t kMaxJournalLine = 2048;
// Longer text arguments are cut and end in "..." inside the quotes.
inline constexpr std::size_t kMaxJournalText = 160;

struct JournalEntry {
    std::string time;
    std::uint32_t process = 0;
    std::string library;
    std::string function;
    std::string arguments;
    std::string result;
};

std::string JournalTime(int year, int month, int day, int hour, int minute, int second,
                        int millisecond);

// The line with its final line feed, never longer than kMaxJournalLine; a tab or line break
// inside a field becomes a blank so that one call stays one line.
std::string FormatJournalLine(const JournalEntry& entry);
std::optional<JournalEntry> ParseJournalLine(std::string_view line);

class ArgumentList {
public:
    ArgumentList& Add(std::string_view name, std::uint32_t value);
    ArgumentList& AddSigned(std::string_view name, std::int32_t value);
    ArgumentList& AddHex(std::string_view name, std::uint32_t value);
    ArgumentList& AddWord(std::string_view name, std::string_view word);
    ArgumentList& AddText(std::string_view name, std::string_view text);
    ArgumentList& AddPointer(std::string_view name, const void* pointer) {
        return AddWord(name, pointer != nullptr ? "set" : "null");
    }

    const std::string& Text() const { return text_; }

private:
    void Begin(std::string_view name);
    std::string text_;
};

struct Argument {
    std::string name;
    std::string value; // text arguments unescaped, without their quotes
};

std::optional<std::vector<Argument>> ParseArguments(std::string_view text);
std::optional<std::string> FindArgument(std::string_view text, std::string_view name);

} // namespace emulator
