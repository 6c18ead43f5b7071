#include "switcher/exceptions/generic_exception.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <span>

#include "framework/BoundedFormat.h"
#include "switcher/exceptions/crt_exception.h"

namespace {

// The conversion reads at most this many bytes of converted text.
constexpr int kConvertedSize = 65536;

// Stands in, in a copy, for an inner exception of a class this program does not know and so
// cannot copy: it keeps that exception's text.
class inner_text final : public basic_exception {
public:
    explicit inner_text(const basic_exception& inner) {
        framework::FormatInto(std::span<char>(text_), "%s", static_cast<const char*>(inner));
    }
    operator const char*() const override { return text_; }
};

// A copy of an inner exception: of the same class for the classes this program knows, else
// one that keeps its text.
basic_exception* CopyInner(const basic_exception* inner) {
    if (inner == nullptr) {
        return nullptr;
    }
    if (const auto* crt = dynamic_cast<const crt_exception*>(inner)) {
        return new crt_exception(*crt);
    }
    if (const auto* win32 = dynamic_cast<const win32_exception*>(inner)) {
        return new win32_exception(*win32);
    }
    if (const auto* generic = dynamic_cast<const generic_exception*>(inner)) {
        return new generic_exception(*generic);
    }
    return new inner_text(*inner);
}

} // namespace

generic_exception::generic_exception(const wchar_t* message, basic_exception* inner,
                                     const char* context)
    : message_{}, context_{}, inner_(inner) {
    framework::FormatInto(std::span<char>(context_), "%s", context != nullptr ? context : "");
    if (message != nullptr) {
        auto converted = std::make_unique<char[]>(kConvertedSize);
        const int length = ::WideCharToMultiByte(CP_ACP, 0, message, -1, converted.get(),
                                                 kConvertedSize, nullptr, nullptr);
        // A message too long for the buffer keeps what was converted before it filled up.
        const bool cut = length == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
        converted[(length > 0 || cut) ? kConvertedSize - 1 : 0] = '\0';
        framework::FormatInto(std::span<char>(message_), "%s", converted.get());
    }
}

generic_exception::generic_exception(const generic_exception& other)
    : basic_exception(other), inner_(CopyInner(other.inner_)) {
    std::memcpy(message_, other.message_, kMessageSize);
    std::memcpy(context_, other.context_, kContextSize);
}

generic_exception::~generic_exception() {
    delete inner_;
}

generic_exception& generic_exception::operator=(const generic_exception& other) {
    if (this != &other) {
        basic_exception::operator=(other);
        std::memcpy(message_, other.message_, kMessageSize);
        std::memcpy(context_, other.context_, kContextSize);
        basic_exception* copy = CopyInner(other.inner_);
        delete inner_;
        inner_ = copy;
    }
    return *this;
}

generic_exception::operator const char*() const {
    const char* innerText = inner_ != nullptr ? static_cast<const char*>(*inner_) : "";
    framework::FormatInto(std::span<char>(text_), "%s: %s\n%s", message_, context_, innerText);
    return text_;
}
