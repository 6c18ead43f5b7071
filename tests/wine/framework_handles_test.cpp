// Owners and scopes of platform resources, and wide bounded formatting with Windows' rules.
#include <windows.h>

#include <gtest/gtest.h>

#include <span>

#include "framework/BoundedFormat.h"
#include "framework/ComApartment.h"
#include "framework/GdiplusToken.h"
#include "framework/PaintDC.h"
#include "framework/SelectedObject.h"
#include "framework/UniqueHandle.h"
#include "framework/Window.h"
#include "framework/WindowDC.h"
#include "framework_test_support.h"

using namespace framework;

namespace {

TEST(Handles, SelectedObjectPutsThePreviousObjectBack) {
    WindowDC screen(nullptr);
    ASSERT_TRUE(screen);
    UniqueDC memory(::CreateCompatibleDC(screen.Get()));
    ASSERT_TRUE(memory);
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), 8, 8));
    ASSERT_TRUE(bitmap);
    const HGDIOBJ original = ::GetCurrentObject(memory.Get(), OBJ_BITMAP);
    {
        SelectedObject selected(memory.Get(), bitmap.Get());
        EXPECT_TRUE(selected);
        EXPECT_EQ(::GetCurrentObject(memory.Get(), OBJ_BITMAP), bitmap.Get());
    }
    EXPECT_EQ(::GetCurrentObject(memory.Get(), OBJ_BITMAP), original);
    EXPECT_TRUE(::DeleteObject(bitmap.Release())) << "a deselected bitmap can be deleted";
}

class Painter : public Window {
public:
    int paints = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAINT) {
            ++paints;
            PaintDC dc(Hwnd());
            ::FillRect(dc.Get(), &dc.Paint().rcPaint,
                       static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            return 0;
        }
        return Window::WindowProc(message, wParam, lParam);
    }
};

TEST(Handles, PaintDCValidatesTheUpdateRegion) {
    fwtest::RegisterTestClasses();
    Painter window;
    ASSERT_TRUE(
        window.Create(fwtest::kWideClass, L"paint",
                      {.style = WS_POPUP | WS_VISIBLE, .x = 0, .y = 0, .width = 40, .height = 40}));
    ::InvalidateRect(window.Hwnd(), nullptr, TRUE);
    ::UpdateWindow(window.Hwnd());
    EXPECT_GE(window.paints, 1);
    EXPECT_FALSE(::GetUpdateRect(window.Hwnd(), nullptr, FALSE));
}

TEST(Handles, ComApartmentBalancesWhatItStarted) {
    {
        ComApartment outer;
        EXPECT_EQ(outer.Result(), S_OK);
        ComApartment again;
        EXPECT_EQ(again.Result(), S_FALSE);
        EXPECT_TRUE(again);
        ComApartment otherModel(COINIT_MULTITHREADED);
        EXPECT_EQ(otherModel.Result(), RPC_E_CHANGED_MODE);
        EXPECT_FALSE(otherModel);
    }
    // Fully undone: the thread may choose its model afresh.
    const HRESULT fresh = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(fresh, S_OK);
    if (SUCCEEDED(fresh)) {
        ::CoUninitialize();
    }
}

TEST(Handles, GdiplusRunsWhileItsTokenIsHeld) {
    UniqueGdiplusToken token = StartGdiplus();
    ASSERT_TRUE(token);
    Gdiplus::GpBitmap* bitmap = nullptr;
    EXPECT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr,
                                                             &bitmap),
              Gdiplus::Ok);
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
}

TEST(WideFormat, PercentSIsAWideStringAndCutsAreClean) {
    wchar_t buffer[16];
    EXPECT_EQ(FormatInto(std::span<wchar_t>(buffer), L"%s: %d", L"tag", 7), 6u);
    EXPECT_STREQ(buffer, L"tag: 7");
    EXPECT_EQ(FormatInto(std::span<wchar_t>(buffer), L"%hs", "narrow"), 6u);
    EXPECT_STREQ(buffer, L"narrow");

    wchar_t small[5];
    EXPECT_EQ(FormatInto(std::span<wchar_t>(small), L"%s", L"abcdefgh"), 4u);
    EXPECT_STREQ(small, L"abcd");
    // A character outside the basic plane is two units; half of one is not kept.
    EXPECT_EQ(FormatInto(std::span<wchar_t>(small), L"abc%s", L"\xD83D\xDE00"), 3u);
    EXPECT_STREQ(small, L"abc");
}

} // namespace
