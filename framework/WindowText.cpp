#include "framework/WindowText.h"

#include "framework/Module.h"

namespace framework {

std::wstring LoadTextW(UINT id) {
    // With a zero size LoadStringW hands out a pointer into the resource itself.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::string LoadText(UINT id) {
    // LoadStringA picks the language the way the resource loader does and converts to the
    // ANSI code page; the buffer grows until the text fits.
    std::string text(256, '\0');
    for (;;) {
        const int length =
            ::LoadStringA(ModuleInstance(), id, text.data(), static_cast<int>(text.size()));
        if (length <= 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) + 1 < text.size() || text.size() >= 65536) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.resize(text.size() * 4);
    }
}

std::string WindowText(HWND hwnd) {
    if (hwnd == nullptr) {
        return {};
    }
    const int length = ::GetWindowTextLengthA(hwnd);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

bool SetWindowText(HWND hwnd, const std::string& text) {
    return hwnd != nullptr && ::SetWindowTextA(hwnd, text.c_str()) != FALSE;
}

std::string ItemText(HWND dialog, int id) {
    return WindowText(::GetDlgItem(dialog, id));
}

bool SetItemText(HWND dialog, int id, const std::string& text) {
    return SetWindowText(::GetDlgItem(dialog, id), text);
}

bool IsAnsiLeadByte(unsigned char c) {
    return ::IsDBCSLeadByte(c) != FALSE;
}

} // namespace framework
