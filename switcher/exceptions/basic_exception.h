// Root of the exception classes the switcher exports: an error turned into one line of 8-bit
// text. The program itself never throws them; they are exported for tools built against it.
#pragma once

#include <cstddef>
#include <exception>

#if defined(_WIN32)
#define SWITCHER_EXPORT __declspec(dllexport)
#else
#define SWITCHER_EXPORT
#endif

class SWITCHER_EXPORT basic_exception : public std::exception {
public:
    static constexpr std::size_t kTextSize = 65536;

    basic_exception();
    basic_exception(const basic_exception& other);
    ~basic_exception() override;
    basic_exception& operator=(const basic_exception& other);

    // The conversion's text.
    const char* what() const noexcept override;
    // Formats the error into the text buffer and returns it.
    virtual operator const char*() const = 0;

protected:
    mutable char text_[kTextSize];
};
