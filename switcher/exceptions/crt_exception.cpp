#include "switcher/exceptions/crt_exception.h"

#include <cstring>
#include <span>

#include "framework/BoundedFormat.h"

crt_exception::crt_exception(const char* context, unsigned int errnoValue)
    : win32_exception(context, errnoValue) {}

crt_exception::crt_exception(const crt_exception& other) = default;

crt_exception::~crt_exception() = default;

crt_exception& crt_exception::operator=(const crt_exception& other) = default;

crt_exception::operator const char*() const {
    const char* message = std::strerror(static_cast<int>(code_));
    framework::FormatInto(std::span<char>(text_), "%s: %s (%d)\n", context_,
                          message != nullptr ? message : "", static_cast<int>(code_));
    return text_;
}
