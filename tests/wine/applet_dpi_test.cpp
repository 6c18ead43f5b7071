// The applet at 150 %: this file's tests run by themselves in a prefix set to 144 dpi. Every
// icon is loaded at the size the metrics give there (24 small, 48 large), and the applet's own
// controls draw at their scaled sizes and never outside their windows.
#include "AppletTest.h"
#include "IconWidth.h"
#include "applet/controls/HelpPopup.h"
#include "applet/logic/ProgressRules.h"
#include "framework/WindowDpi.h"

using namespace applet_test;

namespace {

constexpr int kDpi = 144;
constexpr DWORD kUntouched = 0x010203;

// A 32-bit picture filled with a colour no control draws, to see where a control drew.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<DWORD*>(bits);
        dc_.Reset(::CreateCompatibleDC(nullptr));
        previous_ = ::SelectObject(dc_.Get(), bitmap_.Get());
        std::fill(bits_, bits_ + width * height, kUntouched);
    }
    ~Canvas() { ::SelectObject(dc_.Get(), previous_); }

    HDC Dc() const { return dc_.Get(); }
    COLORREF At(int x, int y) const {
        ::GdiFlush();
        const DWORD pixel = bits_[y * width_ + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    // Pixels outside `inside` that are no longer the fill.
    int TouchedOutside(const RECT& inside) const {
        ::GdiFlush();
        int touched = 0;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const POINT at{x, y};
                touched += !::PtInRect(&inside, at) && bits_[y * width_ + x] != kUntouched;
            }
        }
        return touched;
    }

private:
    int width_;
    int height_;
    framework::UniqueBitmap bitmap_;
    framework::UniqueDC dc_;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};

class DrawnHoverButton : public HoverButton {
public:
    using HoverButton::DrawItem;
};

class HighDpi : public AppletTest {
protected:
    void SetUp() override {
        AppletTest::SetUp();
        parent_ = ::CreateWindowExA(0, "STATIC", "controls", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                    nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        ASSERT_EQ(framework::WindowDpi(parent_), kDpi) << "run with wine-exec --dpi 144";
    }
    void TearDown() override {
        ::DestroyWindow(parent_);
        AppletTest::TearDown();
    }

    HWND Child(const char* cls, DWORD style, int width, int height) {
        return ::CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 30, 30, width, height,
                                 parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(++id_)),
                                 nullptr, nullptr);
    }

    HWND parent_ = nullptr;
    int id_ = 100;
};

TEST_F(HighDpi, IconsLoadAtTheSizesOf150Percent) {
    IconStatic icon;
    ASSERT_TRUE(icon.Subclass(Child("STATIC", SS_ICON, 48, 48)));
    ASSERT_TRUE(icon.SetIcon(IDI_ROW_PROCESSOR));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(icon.Send(STM_GETICON))), 48) << "a grid icon";
    ASSERT_TRUE(icon.SetIconFromReference("VoVOZI.dll,0"));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(icon.Send(STM_GETICON))), 48) << "a mode's icon";
    ASSERT_TRUE(icon.SetIconFromFile("VoVOZI.dll", 1));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(icon.Send(STM_GETICON))), 48) << "a picked icon";
    framework::UniqueIcon listIcon(ExtractReferencedIcon("VoVOZI.dll,0", true));
    EXPECT_EQ(IconWidth(listIcon.Get()), 24) << "a mode's icon in the lists";
    EXPECT_EQ(DialogIconWidth(IDD_ABOUT), 48);

    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg& d) {
        EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(d.Send(WM_GETICON, ICON_BIG))), 48);
        EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(d.Send(WM_GETICON, ICON_SMALL))), 24);
        int width = 0;
        int height = 0;
        const auto images = reinterpret_cast<HIMAGELIST>(
            ::SendMessageA(d.Modes()->Item(IDC_MODES_AC_LIST), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        ASSERT_TRUE(::ImageList_GetIconSize(images, &width, &height));
        EXPECT_EQ(width, 24);
        EXPECT_GT(::ImageList_GetImageCount(images), 0);
        // The gauge's 9 points at 144 dpi.
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(d.Gauge().Send(WM_GETFONT)), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -18);
    });
}

TEST_F(HighDpi, CustomControlsDrawAtScaleAndInsideTheirWindows) {
    // A bordered hover button: its two frame lines are two pixels each at 150 %.
    DrawnHoverButton button;
    ASSERT_TRUE(button.Subclass(Child("BUTTON", BS_OWNERDRAW, 60, 60)));
    button.SetBorder(true);
    button.SetFlat(false);
    ASSERT_TRUE(button.SetIcons(IDI_BATTERY));
    for (const int alignment : {0, 1, 2}) {
        button.SetAlignment(alignment);
        for (const UINT state : {0u, static_cast<UINT>(ODS_SELECTED | ODS_FOCUS)}) {
            Canvas canvas(140, 140);
            DRAWITEMSTRUCT item{};
            item.CtlType = ODT_BUTTON;
            item.itemAction = ODA_DRAWENTIRE;
            item.itemState = state;
            item.hwndItem = button.Hwnd();
            item.hDC = canvas.Dc();
            item.rcItem = RECT{40, 40, 100, 100};
            ASSERT_TRUE(button.DrawItem(item));
            EXPECT_EQ(canvas.TouchedOutside(item.rcItem), 0) << alignment << " " << state;
            const COLORREF outer = ::GetSysColor(state != 0 ? COLOR_3DDKSHADOW : COLOR_3DHILIGHT);
            EXPECT_EQ(canvas.At(40, 60), outer);
            EXPECT_EQ(canvas.At(41, 60), outer) << "the outer line is two pixels wide";
        }
    }

    // The gauge: vertical, its text turned upright in the gauge's font, half filled.
    TextProgressCtrl bar;
    ASSERT_TRUE(bar.Subclass(Child(PROGRESS_CLASSA, PBS_VERTICAL, 30, 150)));
    LOGFONTA logFont{};
    lstrcpynA(logFont.lfFaceName, "Arial", LF_FACESIZE);
    logFont.lfHeight = -18;
    logFont.lfEscapement = logFont.lfOrientation = 900;
    framework::UniqueFont font(::CreateFontIndirectA(&logFont));
    bar.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    bar.Send(PBM_SETPOS, 50);
    bar.SetText("Battery remaining", kTextPlain);
    Canvas canvas(110, 230);
    ::SetViewportOrgEx(canvas.Dc(), 40, 40, nullptr);
    bar.Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    RECT client{};
    ::GetClientRect(bar.Hwnd(), &client);
    ::OffsetRect(&client, 40, 40);
    EXPECT_EQ(canvas.TouchedOutside(client), 0);
    EXPECT_NE(canvas.At(40 + client.right / 2 - 20, 40 + client.bottom / 2), kUntouched);

    // Our help popup wraps a long text at 450 pixels (300 at 96 dpi), its margins 9.
    ASSERT_TRUE(ShowHelpText(parent_, IDC_ADV_HIBERNATE, POINT{10, 10}));
    if (const HWND popup = HelpPopupWindow()) {
        const std::string text = framework::LoadText(IDC_ADV_HIBERNATE);
        const HDC dc = ::GetDC(popup);
        const HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        SIZE line{};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &line);
        ::SelectObject(dc, old);
        ::ReleaseDC(popup, dc);
        ASSERT_GT(line.cx, 2 * 450) << "a text long enough to wrap";
        RECT window{};
        ::GetWindowRect(popup, &window);
        EXPECT_GT(window.right - window.left, 400);
        EXPECT_LE(window.right - window.left, 450 + 2 * 9 + 2);
        ::SendMessageA(popup, WM_LBUTTONDOWN, 0, 0);
    }
}

} // namespace
