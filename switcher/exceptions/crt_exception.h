// A run-time library errno value with the library's text for it: "context: message (code)\n".
#pragma once

#include "switcher/exceptions/win32_exception.h"

class SWITCHER_EXPORT crt_exception : public win32_exception {
public:
    crt_exception(const char* context, unsigned int errnoValue);
    crt_exception(const crt_exception& other);
    ~crt_exception() override;
    crt_exception& operator=(const crt_exception& other);

    operator const char*() const override;
};
