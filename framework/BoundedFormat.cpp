#include "framework/BoundedFormat.h"

#include <cstdio>
#include <cwchar>
#include <type_traits>

namespace framework {

namespace {

template <typename Char>
std::size_t LengthWithin(std::span<Char> buffer) {
    std::size_t length = 0;
    while (length < buffer.size() && buffer[length] != Char{}) {
        ++length;
    }
    return length;
}

bool IsHighSurrogate(wchar_t unit) {
    const auto value = static_cast<unsigned long>(unit);
    return value >= 0xD800 && value <= 0xDBFF;
}

} // namespace

template <typename Char>
std::size_t FinishFormatted(std::span<Char> buffer, int result) {
    if (buffer.empty()) {
        return 0;
    }
    const std::size_t last = buffer.size() - 1;
    if (result >= 0 && static_cast<std::size_t>(result) <= last) {
        buffer[static_cast<std::size_t>(result)] = Char{};
        return static_cast<std::size_t>(result);
    }
    // Cut short: some formatters leave the buffer full and unterminated, others terminate it
    // early; either way the text ends at the first terminator within the capacity.
    buffer[last] = Char{};
    std::size_t length = LengthWithin(buffer);
    if constexpr (std::is_same_v<Char, wchar_t>) {
        if (length > 0 && IsHighSurrogate(buffer[length - 1])) {
            buffer[--length] = Char{};
        }
    }
    return length;
}

template std::size_t FinishFormatted<char>(std::span<char>, int);
template std::size_t FinishFormatted<wchar_t>(std::span<wchar_t>, int);

std::size_t FormatIntoV(std::span<char> buffer, const char* format, va_list args) {
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = '\0';
    const int result = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return FinishFormatted(buffer, result);
}

std::size_t FormatIntoV(std::span<wchar_t> buffer, const wchar_t* format, va_list args) {
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = L'\0';
#if defined(_WIN32)
    // The run-time library's own formatter keeps the Windows meaning of "%s" in wide text.
    const int result = ::_vsnwprintf(buffer.data(), buffer.size(), format, args);
#else
    const int result = std::vswprintf(buffer.data(), buffer.size(), format, args);
#endif
    return FinishFormatted(buffer, result);
}

std::size_t FormatInto(std::span<char> buffer, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::size_t length = FormatIntoV(buffer, format, args);
    va_end(args);
    return length;
}

std::size_t FormatInto(std::span<wchar_t> buffer, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const std::size_t length = FormatIntoV(buffer, format, args);
    va_end(args);
    return length;
}

} // namespace framework
