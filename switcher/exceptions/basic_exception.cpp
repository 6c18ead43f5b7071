#include "switcher/exceptions/basic_exception.h"

#include <cstring>

basic_exception::basic_exception() : text_{} {}

basic_exception::basic_exception(const basic_exception& other) : std::exception(other) {
    std::memcpy(text_, other.text_, kTextSize);
}

basic_exception::~basic_exception() = default;

basic_exception& basic_exception::operator=(const basic_exception& other) {
    if (this != &other) {
        std::exception::operator=(other);
        std::memcpy(text_, other.text_, kTextSize);
    }
    return *this;
}

const char* basic_exception::what() const noexcept {
    return static_cast<const char*>(*this);
}
