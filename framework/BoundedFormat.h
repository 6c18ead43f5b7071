// printf-style formatting into a fixed buffer: longer text is cut, the buffer always ends in a
// terminator, nothing is written past its end.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio> // on MinGW, defines the printf flavour the format checks assume
#include <span>

#if defined(__MINGW32__)
#define FRAMEWORK_PRINTF(formatIndex, firstArg)                                                    \
    __attribute__((format(__MINGW_PRINTF_FORMAT, formatIndex, firstArg)))
#else
#define FRAMEWORK_PRINTF(formatIndex, firstArg)                                                    \
    __attribute__((format(printf, formatIndex, firstArg)))
#endif

namespace framework {

// Narrow text follows the C library's rules. Wide text follows the platform's: on Windows "%s"
// is a wide string there, as every wide Windows program expects ("%hs" is a narrow one).
// Both return the number of characters in the buffer, without the terminator.
std::size_t FormatIntoV(std::span<char> buffer, const char* format, va_list args);
std::size_t FormatIntoV(std::span<wchar_t> buffer, const wchar_t* format, va_list args);
std::size_t FormatInto(std::span<char> buffer, const char* format, ...) FRAMEWORK_PRINTF(2, 3);
std::size_t FormatInto(std::span<wchar_t> buffer, const wchar_t* format, ...);

// Settles a buffer after a formatter reported `result` (its count, or a negative value when the
// text did not fit or could not be formatted): terminates it within its capacity and, for UTF-16
// text cut short, drops a high surrogate whose partner was cut away. Returns the length.
template <typename Char>
std::size_t FinishFormatted(std::span<Char> buffer, int result);

} // namespace framework
