#include "PageList.h"

#include <uxtheme.h>

#include "framework/UniqueHandle.h"

namespace applet {

void UseTabBackground(HWND page) {
    // The theme library exists from Windows XP on; bound by name so that older systems and
    // classic mode simply keep the plain dialog background.
    using EnableTextureFn = HRESULT(WINAPI*)(HWND, DWORD);
    const HMODULE theme = ::GetModuleHandleA("uxtheme.dll");
    framework::UniqueModule loaded;
    if (theme == nullptr) {
        loaded.Reset(::LoadLibraryA("uxtheme.dll"));
    }
    const auto enable = framework::ProcAddress<EnableTextureFn>(
        theme != nullptr ? theme : loaded.Get(), "EnableThemeDialogTexture");
    if (enable != nullptr) {
        enable(page, ETDT_ENABLETAB);
    }
}

} // namespace applet
