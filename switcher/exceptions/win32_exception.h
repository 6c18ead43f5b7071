// A Win32 error code with the system's text for it: "context: message (code)\n".
#pragma once

#include "switcher/exceptions/basic_exception.h"

class SWITCHER_EXPORT win32_exception : public basic_exception {
public:
    static constexpr std::size_t kContextSize = 512;
    static constexpr std::size_t kMessageSize = 512;

    win32_exception(const char* context, unsigned int code);
    win32_exception(const win32_exception& other);
    ~win32_exception() override;
    win32_exception& operator=(const win32_exception& other);

    operator const char*() const override;

    unsigned int code() const { return code_; }
    const char* context() const { return context_; }

protected:
    char context_[kContextSize];
    unsigned int code_;
};
