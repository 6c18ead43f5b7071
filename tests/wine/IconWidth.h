// The width in pixels of an icon's image (0 for no icon), for the tests of the sizes loaded.
#pragma once

#include <windows.h>

inline int IconWidth(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info)) {
        return 0;
    }
    BITMAP bitmap{};
    ::GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

inline INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The width of the first icon picture of dialog `dialogId` of the test program's resources, as
// the dialog loads it from its template (0 when it has none).
inline int DialogIconWidth(int dialogId) {
    const HWND dialog = ::CreateDialogParamA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), nullptr, QuietDialogProc, 0);
    if (dialog == nullptr) {
        return 0;
    }
    int width = 0;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr && width == 0;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 &&
            (::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            width = IconWidth(reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0)));
        }
    }
    ::DestroyWindow(dialog);
    return width;
}
