#include "switcher/ResourceText.h"

namespace switcher {

std::wstring LoadResourceText(HINSTANCE module, UINT id) {
    // With a zero length LoadStringW hands out the resource's own copy, which is not
    // terminated; the length it returns bounds it.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length))
                                         : std::wstring();
}

ResourceTokens LoadResourceTokens(HINSTANCE module, UINT id, const wchar_t* separators) {
    return ResourceTokens(LoadResourceText(module, id), separators);
}

} // namespace switcher
