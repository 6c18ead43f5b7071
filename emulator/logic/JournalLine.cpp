#include "JournalLine.h"

#include <cstdio>

namespace emulator {

namespace {

constexpr char kSeparator = '\t';
constexpr std::string_view kCut = "...";

void AppendField(std::string& line, std::string_view field) {
    for (const char c : field) {
        line.push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
    }
}

void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                out += hex;
            } else {
                out.push_back(c);
            }
        }
    }
}

// Cuts at most `limit` bytes without splitting a UTF-8 sequence.
std::string_view CutText(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Reads a quoted text starting at text[pos] == '"'; leaves pos after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t& pos) {
    std::string value;
    ++pos;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '"') {
            return value;
        }
        if (c != '\\') {
            value.push_back(c);
            continue;
        }
        if (pos >= text.size()) {
            return std::nullopt;
        }
        const char e = text[pos++];
        switch (e) {
        case '\\':
        case '"':
            value.push_back(e);
            break;
        case 't':
            value.push_back('\t');
            break;
        case 'n':
            value.push_back('\n');
            break;
        case 'r':
            value.push_back('\r');
            break;
        case 'x': {
            if (pos + 2 > text.size()) {
                return std::nullopt;
            }
            const int high = HexDigit(text[pos]);
            const int low = HexDigit(text[pos + 1]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            value.push_back(static_cast<char>(high * 16 + low));
            pos += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

std::string JournalTime(int year, int month, int day, int hour, int minute, int second,
                        int millisecond) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", year, month, day, hour,
                  minute, second, millisecond);
    return text;
}

std::string FormatJournalLine(const JournalEntry& entry) {
    std::string line;
    AppendField(line, entry.time);
    line.push_back(kSeparator);
    line += std::to_string(entry.process);
    line.push_back(kSeparator);
    AppendField(line, entry.library);
    line.push_back(kSeparator);
    AppendField(line, entry.function);
    line.push_back(kSeparator);
    std::string tail;
    AppendField(tail, entry.arguments);
    tail.push_back(kSeparator);
    AppendField(tail, entry.result);
    // Only a runaway argument list can overflow; it is cut in the middle so that the result,
    // which tests and people look for, survives.
    const std::size_t room = kMaxJournalLine - 1;
    if (line.size() + tail.size() > room) {
        const std::size_t resultSize = tail.size() - tail.rfind(kSeparator);
        const std::size_t keep = room > line.size() + resultSize + kCut.size()
                                     ? room - line.size() - resultSize - kCut.size()
                                     : 0;
        std::string shortened = tail.substr(0, tail.size() - resultSize);
        shortened = std::string(CutText(shortened, keep)) + std::string(kCut);
        tail = shortened + tail.substr(tail.size() - resultSize);
        if (line.size() + tail.size() > room) {
            tail.resize(room > line.size() ? room - line.size() : 0);
        }
    }
    line += tail;
    line.push_back('\n');
    return line;
}

std::optional<JournalEntry> ParseJournalLine(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find(kSeparator, start);
        fields.push_back(
            line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    if (fields.size() != 6 || fields[2].empty() || fields[3].empty()) {
        return std::nullopt;
    }
    std::uint32_t process = 0;
    if (fields[1].empty() || fields[1].size() > 10) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : fields[1]) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    process = static_cast<std::uint32_t>(value);
    return JournalEntry{std::string(fields[0]), process,
                        std::string(fields[2]), std::string(fields[3]),
                        std::string(fields[4]), std::string(fields[5])};
}

void ArgumentList::Begin(std::string_view name) {
    if (!text_.empty()) {
        text_.push_back(' ');
    }
    text_ += name;
    text_.push_back('=');
}

ArgumentList& ArgumentList::Add(std::string_view name, std::uint32_t value) {
    Begin(name);
    text_ += std::to_string(value);
    return *this;
}

ArgumentList& ArgumentList::AddSigned(std::string_view name, std::int32_t value) {
    Begin(name);
    text_ += std::to_string(value);
    return *this;
}

ArgumentList& ArgumentList::AddHex(std::string_view name, std::uint32_t value) {
    Begin(name);
    char hex[12];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(value));
    text_ += hex;
    return *this;
}

ArgumentList& ArgumentList::AddWord(std::string_view name, std::string_view word) {
    Begin(name);
    text_ += word;
    return *this;
}

ArgumentList& ArgumentList::AddText(std::string_view name, std::string_view text) {
    Begin(name);
    text_.push_back('"');
    const std::string_view kept = CutText(text, kMaxJournalText);
    AppendEscaped(text_, kept);
    if (kept.size() < text.size()) {
        text_ += kCut;
    }
    text_.push_back('"');
    return *this;
}

std::optional<std::vector<Argument>> ParseArguments(std::string_view text) {
    std::vector<Argument> arguments;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nameStart = pos;
        while (pos < text.size() && IsNameChar(text[pos])) {
            ++pos;
        }
        if (pos == nameStart || pos >= text.size() || text[pos] != '=') {
            return std::nullopt;
        }
        Argument argument{std::string(text.substr(nameStart, pos - nameStart)), {}};
        ++pos;
        if (pos < text.size() && text[pos] == '"') {
            auto quoted = ReadQuoted(text, pos);
            if (!quoted) {
                return std::nullopt;
            }
            argument.value = std::move(*quoted);
        } else {
            const std::size_t valueStart = pos;
            while (pos < text.size() && text[pos] != ' ') {
                ++pos;
            }
            argument.value = std::string(text.substr(valueStart, pos - valueStart));
        }
        arguments.push_back(std::move(argument));
        if (pos < text.size()) {
            if (text[pos] != ' ' || pos + 1 == text.size()) {
                return std::nullopt;
            }
            ++pos;
        }
    }
    return arguments;
}

std::optional<std::string> FindArgument(std::string_view text, std::string_view name) {
    const auto arguments = ParseArguments(text);
    if (!arguments) {
        return std::nullopt;
    }
    for (const auto& a : *arguments) {
        if (a.name == name) {
            return a.value;
        }
    }
    return std::nullopt;
}

} // namespace emulator
