#include "switcher/exceptions/win32_exception.h"

#include <windows.h>

#include <cstring>
#include <span>

#include "framework/BoundedFormat.h"

win32_exception::win32_exception(const char* context, unsigned int code) : context_{}, code_(code) {
    framework::FormatInto(std::span<char>(context_), "%s", context != nullptr ? context : "");
}

win32_exception::win32_exception(const win32_exception& other)
    : basic_exception(other), code_(other.code_) {
    std::memcpy(context_, other.context_, kContextSize);
}

win32_exception::~win32_exception() = default;

win32_exception& win32_exception::operator=(const win32_exception& other) {
    if (this != &other) {
        basic_exception::operator=(other);
        std::memcpy(context_, other.context_, kContextSize);
        code_ = other.code_;
    }
    return *this;
}

win32_exception::operator const char*() const {
    char message[kMessageSize] = "";
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code_,
                         0, message, static_cast<DWORD>(kMessageSize), nullptr);
    // System messages end in a line break; the line gets its own one at the end.
    for (DWORD i = length; i > 0 && (message[i - 1] == '\r' || message[i - 1] == '\n'); --i) {
        message[i - 1] = '\0';
    }
    framework::FormatInto(std::span<char>(text_), "%s: %s (%d)\n", context_, message,
                          static_cast<int>(code_));
    return text_;
}
