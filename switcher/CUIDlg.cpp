#include "switcher/CUIDlg.h"

#include "framework/PaintDC.h"
#include "switcher/DebugTrace.h"
#include "switcher/SwitcherIds.h"
#include "switcher/battery/BatteryPlatform.h"
#include "switcher/controls/GdiplusHandles.h"

namespace switcher {

namespace {

constexpr COLORREF kColourKey = RGB(0x30, 0x30, 0x30);
// The colour key as an opaque GDI+ colour.
constexpr Gdiplus::ARGB kOpaqueKey = 0xFF303030;

constexpr int kListRows = 4;
// Sleep, Restart and Shut Down at most: a fourth row would reach past the artwork's edge.
constexpr int kActionRows = 3;
constexpr int kStripColumns = 4;

struct ControlPlace {
    int id;
    int x;
    int y;
};

// Client positions; the sizes come from the skin.
constexpr ControlPlace kPlaces[] = {
    {IDC_BATTERY_IMAGE, 30, 25}, {IDC_SCHEME_LIST, 140, 28},  {IDC_ACTION_LIST, 140, 160},
    {IDC_SCROLL_UP, 140, 6},     {IDC_SCROLL_DOWN, 140, 123},
};

// GUID_POWERSCHEME_PERSONALITY, GUID_BATTERY_PERCENTAGE_REMAINING, GUID_ACDC_POWER_SOURCE.
constexpr GUID kNotifiedSettings[] = {
    {0x245D8541, 0x3943, 0x4422, {0xB0, 0x25, 0x13, 0xA7, 0x84, 0xF6, 0x79, 0xB7}},
    {0xA7AD8041, 0xB45A, 0x4CAE, {0x87, 0xA3, 0xEE, 0xCB, 0xB4, 0x68, 0xA9, 0xE1}},
    {0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}},
};

} // namespace

CUIDlg* CUIDlg::hookOwner_ = nullptr;

CUIDlg::CUIDlg(const SkinArchive& skins, PortaxLibrary& portax, bool debug)
    : framework::Dialog(IDD_SWITCHER, framework::TextKind::Wide), skins_(skins), debug_(debug),
      schemeList_(currentList_), actionList_(currentList_), batteryStatus_(ReadPowerStatus()),
      health_(portax, &DebugTrace) {}

CUIDlg::~CUIDlg() {
    if (hookOwner_ == this) {
        hookOwner_ = nullptr;
    }
}

bool CUIDlg::CreatePopup() {
    background_ = BitmapFromStream(OpenSkinStream(skins_, "imgs/main/dlg.png"));
    batteryStrip_ = BitmapFromStream(OpenSkinStream(skins_, "imgs/main/bt.png"));
    if (ImageWidth(background_.Get()) == 0 || ImageWidth(batteryStrip_.Get()) == 0 ||
        !Create(nullptr)) {
        background_.Reset();
        batteryStrip_.Reset();
        return false;
    }
    return true;
}

bool CUIDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    InstallHook();
    // What the hidden popup does not need yet (its size and outline, the lists' and buttons'
    // images, the texts, the schemes, the battery check) comes once the loop runs, so that the
    // program answers at once; whatever shows the popup or reaches the lists before that
    // finishes it first.
    Post(WM_SWITCHER_FINISH_START);
    return true;
}

void CUIDlg::FinishStart() {
    if (started_) {
        return;
    }
    started_ = true; // before the work: the battery check below comes back through OnPower
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, static_cast<int>(ImageWidth(background_.Get())),
                   static_cast<int>(ImageHeight(background_.Get())), SWP_NOMOVE | SWP_NOZORDER);
    // Layered with a colour key: every pixel painted in the key colour is see-through, which
    // gives the popup the outline of its artwork.
    LONG_PTR exStyle = ::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE);
    ::SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(Hwnd(), kColourKey, 0, LWA_COLORKEY);
    // A tool window gets no taskbar button.
    exStyle = ::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE);
    ::SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE, (exStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    InitControls();
    SetTextStyles();
    BuildActionList();
    LoadTrayIcons();
    RegisterPowerNotifications();
    // Windows reports each registered setting once at registration, which fills the scheme
    // list; where that report does not come, the list is filled here the same way.
    RefreshSchemeList();
    Send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    SendEcStartCommand();
}

void CUIDlg::InitControls() {
    schemeList_.Init(IDC_SCHEME_LIST, Hwnd(), OpenSkinStream(skins_, "imgs/main/slist.png"),
                     kListRows);
    actionList_.Init(IDC_ACTION_LIST, Hwnd(), OpenSkinStream(skins_, "imgs/main/plist.png"),
                     kActionRows);
    scrollUp_.Init(IDC_SCROLL_UP, Hwnd(), OpenSkinStream(skins_, "imgs/main/btnup.png"),
                   kStripColumns);
    scrollDown_.Init(IDC_SCROLL_DOWN, Hwnd(), OpenSkinStream(skins_, "imgs/main/btndown.png"),
                     kStripColumns);
    const INT frameWidth = static_cast<INT>(ImageWidth(batteryStrip_.Get())) / kBatteryFrameCount;
    const INT frameHeight = static_cast<INT>(ImageHeight(batteryStrip_.Get()));
    indicator_.Init(UniqueGpBitmap(CutImageFrame(batteryStrip_.Get(), kStartFrame * frameWidth,
                                                 frameWidth, frameHeight)),
                    Hwnd());
    for (const ControlPlace& place : kPlaces) {
        if (HWND item = Item(place.id)) {
            ::SetWindowPos(item, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
    }
}

void CUIDlg::SetTextStyles() {
    UniqueGpFont listFont =
        MakeFont(L"Segoe UI", 9.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    UniqueGpStringFormat listFormat = MakeStringFormat();
    schemeList_.SetTextStyle(listFont.Get(), listFormat.Get(),
                             Gdiplus::RectF(50.0f, 4.0f, 120.0f, 20.0f));
    actionList_.SetTextStyle(listFont.Get(), listFormat.Get(),
                             Gdiplus::RectF(50.0f, 4.0f, 130.0f, 20.0f));

    UniqueGpFont indicatorFont =
        MakeFont(L"Segoe UI", 8.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    UniqueGpStringFormat indicatorFormat = MakeStringFormat();
    gdip::GdipSetStringFormatAlign(indicatorFormat.Get(), Gdiplus::StringAlignmentCenter);
    gdip::GdipSetStringFormatLineAlign(indicatorFormat.Get(), Gdiplus::StringAlignmentNear);
    indicator_.SetTextStyle(indicatorFont.Get(), indicatorFormat.Get(),
                            Gdiplus::RectF(0.0f, 120.0f, 110.0f, 40.0f));
}

void CUIDlg::RegisterPowerNotifications() {
    for (std::size_t i = 0; i < notifications_.size(); ++i) {
        notifications_[i] = ::RegisterPowerSettingNotification(Hwnd(), &kNotifiedSettings[i],
                                                               DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

LRESULT CUIDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SWITCHER_FINISH_START:
        FinishStart();
        return 0;
    case WM_POWERBROADCAST:
        FinishStart();
        return OnPower(wParam, lParam);
    case WM_SWITCHER_TRAY:
        return OnTrayNotify(lParam);
    case WM_SWITCHER_CLOSE:
        return OnCloseRequest();
    case WM_LBUTTONDOWN:
        OnDragStart();
        return Dialog::WindowProc(message, wParam, lParam);
    case WM_DESTROY: {
        const LRESULT result = Dialog::WindowProc(message, wParam, lParam);
        OnDestroy();
        return result;
    }
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam), true);
        return TRUE;
    case WM_PAINT: {
        framework::PaintDC dc(Hwnd());
        if (dc) {
            PaintBackground(dc.Get(), false);
        }
        return 0;
    }
    default:
        return Dialog::WindowProc(message, wParam, lParam);
    }
}

void CUIDlg::PaintBackground(HDC dc, bool keyColourOnly) {
    const INT width = static_cast<INT>(ImageWidth(background_.Get()));
    const INT height = static_cast<INT>(ImageHeight(background_.Get()));
    UniqueGpGraphics graphics;
    if (dc == nullptr || gdip::GdipCreateFromHDC(dc, graphics.Put()) != Gdiplus::Ok) {
        return;
    }
    if (keyColourOnly) {
        // What the artwork leaves uncovered or transparent stays in the key colour: see-through.
        UniqueGpBrush key;
        if (gdip::GdipCreateSolidFill(kOpaqueKey, key.Put()) == Gdiplus::Ok) {
            gdip::GdipFillRectangleI(graphics.Get(), key.Get(), 0, 0, width, height);
        }
        return;
    }
    gdip::GdipSetPageUnit(graphics.Get(), Gdiplus::UnitPixel);
    gdip::GdipDrawImageRectI(graphics.Get(), background_.Get(), 0, 0, width, height);
}

void CUIDlg::OnDragStart() {
    // The system's move loop, with an outline instead of the window: a layered window dragged
    // in full is redrawn at every step.
    BOOL fullDrag = FALSE;
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullDrag, 0);
    ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    Send(WM_SYSCOMMAND, SC_MOVE | HTCAPTION);
    if (fullDrag) {
        ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    }
}

LRESULT CUIDlg::OnCloseRequest() {
    if (IsShown()) {
        // The popup goes when it is next dismissed, at the latest after three idle seconds.
        closePending_ = true;
    } else {
        Destroy();
    }
    return -1;
}

LRESULT CUIDlg::OnPower(WPARAM event, LPARAM data) {
    switch (event) {
    case PBT_APMRESUMESUSPEND:
        SendEcStartCommand();
        ReHook();
        break;
    case PBT_APMPOWERSTATUSCHANGE:
        CheckBatteryHealth();
        break;
    case PBT_POWERSETTINGCHANGE:
        RefreshSchemeList();
        OnBatterySettingChange(data);
        break;
    default:
        break;
    }
    return -1;
}

void CUIDlg::OnDestroy() {
    StopTimer();
    for (HPOWERNOTIFY& notification : notifications_) {
        if (notification != nullptr) {
            ::UnregisterPowerSettingNotification(notification);
            notification = nullptr;
        }
    }
    SetTrayIcon(0, false);
    hook_.Reset();
    if (hookOwner_ == this) {
        hookOwner_ = nullptr;
    }
    batteryStrip_.Reset();
    background_.Reset();
}

bool CUIDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED && control != nullptr) {
        switch (id) {
        case IDC_SCROLL_UP:
            ScrollSchemes(true);
            return true;
        case IDC_SCROLL_DOWN:
            ScrollSchemes(false);
            return true;
        case IDC_SCHEME_LIST:
            OnListClicked(schemeList_);
            return true;
        case IDC_ACTION_LIST:
            OnListClicked(actionList_);
            return true;
        default:
            break;
        }
    }
    return Dialog::OnCommand(id, code, control);
}

void CUIDlg::OnOK() {
    ActivateSelection();
}

void CUIDlg::OnCancel() {
    StopTimer();
    ::ShowWindow(Hwnd(), SW_HIDE);
    ReHook();
    if (closePending_) {
        Destroy();
    }
}

} // namespace switcher
