// COM for the current thread for the life of the scope. A repeated initialisation (S_FALSE) also
// counts and is balanced; a refused one (another threading model) is not.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace framework {

class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED)
        : result_(::CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    HRESULT Result() const { return result_; }
    explicit operator bool() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

} // namespace framework
