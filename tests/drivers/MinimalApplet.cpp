// The baseline of the applet's opening benchmark: a Control Panel library with one item that
// shows one empty modal dialog, built from a template in memory, and nothing else.
#include <windows.h>
#include <cpl.h>

namespace {

INT_PTR CALLBACK EmptyDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        ::EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// DLGTEMPLATE followed by empty menu, class and title arrays: the dialog of the main
// dialog's size, no controls.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};

} // namespace

extern "C" __declspec(dllexport) LONG APIENTRY
    CPlApplet(HWND hwndCPl, UINT message, LPARAM, LPARAM lParam2) {
    switch (message) {
    case CPL_INIT:
    case CPL_GETCOUNT:
        return 1;
    case CPL_NEWINQUIRE: {
        auto* info = reinterpret_cast<NEWCPLINFOA*>(lParam2);
        *info = NEWCPLINFOA{};
        info->dwSize = sizeof(NEWCPLINFOA);
        info->hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        lstrcpynA(info->szName, "Minimal", sizeof info->szName);
        return 0;
    }
    case CPL_DBLCLK: {
        EmptyTemplate dialog{};
        dialog.header.style = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        dialog.header.cx = 300;
        dialog.header.cy = 252;
        ::DialogBoxIndirectParamA(::GetModuleHandleA("MinimalApplet.cpl"), &dialog.header, hwndCPl,
                                  &EmptyDialog, 0);
        return 0;
    }
    case 10: // CPL_STARTWPARMSW: not handled, so the shell double-clicks
    case CPL_INQUIRE:
    case CPL_SELECT:
    case CPL_STOP:
    case CPL_EXIT:
        return 0;
    default:
        return 1;
    }
}
