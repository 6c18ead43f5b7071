// pivorabaseline: the yardsticks of the switcher's start-up and profile-key times. Each does
// what any GDI+ program must for that part and nothing else, and ends on WM_CLOSE.
//
//   pivorabaseline          GDI+ started, one hidden window of its own class "Pivora Baseline"
//   pivorabaseline decode   the same after decoding the six images the popup draws, from the
//                           same embedded skin archive
//   pivorabaseline key      the popup's background decoded and a hidden window of its size
//                           prepared; F12 (a low-level hook, as the switcher's) shows it
//                           topmost and paints the image
//   pivorabaseline keeper   the first under the class "Pivora Baseline Keeper", kept running
//                           through a measurement so that Wine's desktop stays up between
//                           starts, and neither program measured pays for starting it
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "switcher/controls/SkinArchive.h"

namespace {

namespace gdip = Gdiplus::DllExports;

constexpr UINT kShow = WM_APP + 1;
constexpr const char* kPopupImages[] = {"imgs/main/dlg.png",   "imgs/main/bt.png",
                                        "imgs/main/slist.png", "imgs/main/plist.png",
                                        "imgs/main/btnup.png", "imgs/main/btndown.png"};

HWND g_window = nullptr;
Gdiplus::GpBitmap* g_image = nullptr;

LRESULT CALLBACK BaselineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kShow:
        ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::ShowWindow(hwnd, SW_SHOW);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd, &paint);
        Gdiplus::GpGraphics* graphics = nullptr;
        if (g_image != nullptr && gdip::GdipCreateFromHDC(dc, &graphics) == Gdiplus::Ok) {
            UINT width = 0;
            UINT height = 0;
            gdip::GdipGetImageWidth(g_image, &width);
            gdip::GdipGetImageHeight(g_image, &height);
            gdip::GdipDrawImageRectI(graphics, g_image, 0, 0, static_cast<INT>(width),
                                     static_cast<INT>(height));
            gdip::GdipDeleteGraphics(graphics);
        }
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// The hook only posts, as the switcher's does.
LRESULT CALLBACK KeyProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && key->vkCode == VK_F12 && key->flags == 0) {
        ::PostMessageW(g_window, kShow, 0, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

Gdiplus::GpBitmap* Decode(const switcher::SkinArchive& skin, const char* path) {
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (IStream* stream = switcher::OpenSkinStream(skin, path)) {
        gdip::GdipCreateBitmapFromStream(stream, &bitmap);
    }
    return bitmap;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const bool keeper = commandLine != nullptr && lstrcmpiA(commandLine, "keeper") == 0;
    const bool decode = commandLine != nullptr && lstrcmpiA(commandLine, "decode") == 0;
    const bool key = commandLine != nullptr && lstrcmpiA(commandLine, "key") == 0;
    const wchar_t* const className = keeper ? L"Pivora Baseline Keeper" : L"Pivora Baseline";
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return 1;
    }
    int result = 0;
    {
        const switcher::SkinArchive skin =
            decode || key ? switcher::LoadSkinArchive(switcher::FindSkinResource(instance))
                          : switcher::SkinArchive();
        Gdiplus::GpBitmap* decoded[std::size(kPopupImages)] = {};
        for (std::size_t i = 0; decode && i < std::size(kPopupImages); ++i) {
            decoded[i] = Decode(skin, kPopupImages[i]);
            result |= decoded[i] == nullptr ? 1 : 0;
        }
        UINT width = 10;
        UINT height = 10;
        if (key) {
            g_image = Decode(skin, kPopupImages[0]);
            gdip::GdipGetImageWidth(g_image, &width);
            gdip::GdipGetImageHeight(g_image, &height);
        }
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &BaselineProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = className;
        ::RegisterClassExW(&windowClass);
        g_window = ::CreateWindowExW(key ? WS_EX_TOOLWINDOW : 0, className, L"", WS_POPUP, 100, 100,
                                     static_cast<int>(width), static_cast<int>(height), nullptr,
                                     nullptr, instance, nullptr);
        HHOOK hook = key ? ::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyProc, instance, 0) : nullptr;
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&message);
        }
        if (hook != nullptr) {
            ::UnhookWindowsHookEx(hook);
        }
        for (Gdiplus::GpBitmap* bitmap : decoded) {
            if (bitmap != nullptr) {
                gdip::GdipDisposeImage(bitmap);
            }
        }
        if (g_image != nullptr) {
            gdip::GdipDisposeImage(g_image);
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return result;
}
