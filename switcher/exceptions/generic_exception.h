// A wide message with a context and, optionally, the exception that caused it (owned):
// "message: context\n" followed by the inner exception's text.
#pragma once

#include "switcher/exceptions/basic_exception.h"

class SWITCHER_EXPORT generic_exception : public basic_exception {
public:
    static constexpr std::size_t kMessageSize = 512;
    static constexpr std::size_t kContextSize = 1024;

    // Takes ownership of `inner` (may be null).
    generic_exception(const wchar_t* message, basic_exception* inner, const char* context);
    // A copy owns a copy of the inner exception, never the same one.
    generic_exception(const generic_exception& other);
    ~generic_exception() override;
    generic_exception& operator=(const generic_exception& other);

    operator const char*() const override;

    const char* message() const { return message_; }
    const char* context() const { return context_; }
    const basic_exception* inner() const { return inner_; }

private:
    char message_[kMessageSize];
    char context_[kContextSize];
    basic_exception* inner_;
};
