#include "switcher/CUIDlg.h"

#include <imm.h>

#include "framework/Application.h"
#include "framework/DpiScale.h"
#include "framework/PaintDC.h"
#include "framework/SelectedObject.h"
#include "framework/WindowDpi.h"
#include "switcher/DebugTrace.h"
#include "switcher/SwitcherIds.h"
#include "switcher/battery/BatteryPlatform.h"
#include "switcher/controls/GdiplusHandles.h"
#include "switcher/logic/PopupLayout.h"

namespace switcher {

namespace {

constexpr char kBackgroundName[] = "dlg.png";
constexpr COLORREF kColourKey = RGB(0x30, 0x30, 0x30);
// The colour key as an opaque GDI+ colour.
constexpr Gdiplus::ARGB kOpaqueKey = 0xFF303030;

// GUID_POWERSCHEME_PERSONALITY, GUID_BATTERY_PERCENTAGE_REMAINING, GUID_ACDC_POWER_SOURCE.
constexpr GUID kNotifiedSettings[] = {
    {0x245D8541, 0x3943, 0x4422, {0xB0, 0x25, 0x13, 0xA7, 0x84, 0xF6, 0x79, 0xB7}},
    kBatteryPercentageRemaining,
    {0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}},
};

// The background drawn once over the key colour, into a bitmap: each paint is then a copy.
// Drawing the artwork with GDI+ at every paint (its alpha blended over the key colour again)
// costs a few milliseconds of every show. Null when no bitmap can be made.
framework::UniqueBitmap ComposeBackdrop(Gdiplus::GpBitmap* background) {
    const INT width = static_cast<INT>(ImageWidth(background));
    const INT height = static_cast<INT>(ImageHeight(background));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as the image
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    framework::UniqueBitmap bitmap(
        ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    framework::UniqueDC memory(::CreateCompatibleDC(nullptr));
    if (!bitmap || !memory || width == 0 || height == 0) {
        return {};
    }
    const framework::SelectedObject selected(memory.Get(), bitmap.Get());
    UniqueGpGraphics graphics;
    UniqueGpBrush key;
    if (!selected || gdip::GdipCreateFromHDC(memory.Get(), graphics.Put()) != Gdiplus::Ok ||
        gdip::GdipCreateSolidFill(kOpaqueKey, key.Put()) != Gdiplus::Ok) {
        return {};
    }
    // What the artwork leaves uncovered or transparent stays in the key colour: see-through.
    gdip::GdipFillRectangleI(graphics.Get(), key.Get(), 0, 0, width, height);
    gdip::GdipSetPageUnit(graphics.Get(), Gdiplus::UnitPixel);
    if (gdip::GdipDrawImageRectI(graphics.Get(), background, 0, 0, width, height) !=
        Gdiplus::Ok) {
        return {};
    }
    return bitmap;
}

} // namespace

CUIDlg::CUIDlg(const SkinArchive& skins, PortaxLibrary& portax, bool debug)
    : framework::Dialog(IDD_SWITCHER, framework::TextKind::Wide), skins_(skins), skinSet_(skins),
      notifyIcon_(*this), battery_(portax, notifyIcon_), lists_(*this), key_(*this, debug) {}

bool CUIDlg::CreatePopup() {
    // Checked by their headers only: decoding them (a good part of the start) waits until the
    // popup answers, in FinishStart.
    // The 1x images must be there whatever the DPI: every other set falls back on them.
    if (!SkinImageSize(skins_, SkinSetPath(kBaseDpi, kBackgroundName)).has_value() ||
        !BatteryIndicator::HasStrip(skins_)) {
        return false;
    }
    // Nothing in the popup takes typed text, and its keys (the arrows, Enter, Escape) must reach
    // it whatever input method the user has switched on. Without one on this thread, neither
    // the dialog's creation nor the default focus it takes while hidden sets an input method up
    // (its window, its context and a COM apartment): some 10 ms of the start.
    if (!::ImmDisableIME(0)) {
        DebugTrace(true, L"CUIDlg::CreatePopup", L"ImmDisableIME failed.\n");
    }
    return Create(nullptr);
}

bool CUIDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    key_.Install(L"CUIDlg::OnInitDialog");
    // What the hidden popup does not need yet (its size and outline, the lists' and buttons'
    // images, the texts, the schemes, the battery check) comes once the loop runs, a step at a
    // time, so that the program answers at once and between the steps; whatever shows the
    // popup, reaches the lists or ends the program before that finishes it first.
    if (!Post(WM_SWITCHER_FINISH_START)) {
        FinishStart(); // else the start would wait for the first key
    }
    return true;
}

bool CUIDlg::FinishStart() {
    // A step that comes back here (the battery check reaches OnPower) finds the steps before it
    // done, as it needs them.
    while (!broken_ && !inStartStep_ && !Started()) {
        RunStartStep();
    }
    if (closePending_ && !inStartStep_ && !IsShown() && Hwnd() != nullptr) {
        // A close that came while a step called out (a cross-process call dispatches the
        // sender's message): the copy that asked waits for this one to end.
        Post(WM_SWITCHER_CLOSE);
    }
    return !broken_ && Hwnd() != nullptr;
}

void CUIDlg::ContinueStart() {
    if (broken_ || inStartStep_ || Started()) {
        return;
    }
    RunStartStep();
    if (closePending_ && !IsShown()) {
        OnCloseRequest(); // it came while the step called out
    } else if (!broken_ && !Started() && !Post(WM_SWITCHER_FINISH_START)) {
        FinishStart();
    }
}

void CUIDlg::FailStart(const wchar_t* why) {
    // The popup is never shown: the program ends as when InitInstance fails.
    DebugTrace(true, L"CUIDlg::FinishStart", why);
    backdrop_.Reset();
    background_.Reset();
    battery_.ReleaseStrip();
    broken_ = true;
    ::PostQuitMessage(framework::Application::kInitFailed);
}

void CUIDlg::RunStartStep() {
    // A step that throws (the window procedure catches it) must not leave the start marked as
    // running, which would stop every later step, nor a half-built popup that a key could show.
    struct StepScope {
        CUIDlg& dialog;
        bool completed = false;
        ~StepScope() {
            dialog.inStartStep_ = false;
            if (!completed) {
                dialog.FailStart(L"A step of the start failed.\n");
            }
        }
    } scope{*this};
    inStartStep_ = true;
    switch (startStep_++) {
    case kDecode:
        // The images of the popup's DPI; the window takes the background's size.
        if (!LoadImagesAt(framework::WindowDpi(Hwnd()))) {
            // Headers that promised images that do not decode: the start fails, as when the
            // images were missing, only later.
            FailStart(L"The skin's images cannot be decoded.\n");
            break;
        }
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, static_cast<int>(ImageWidth(background_.Get())),
                       static_cast<int>(ImageHeight(background_.Get())), SWP_NOMOVE | SWP_NOZORDER);
        {
            // Layered with a colour key: every pixel painted in the key colour is see-through,
            // which gives the popup the outline of its artwork.
            LONG_PTR exStyle = ::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE);
            ::SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
            if (!::SetLayeredWindowAttributes(Hwnd(), kColourKey, 0, LWA_COLORKEY)) {
                DebugTrace(true, L"CUIDlg::OnInitDialog",
                           L"SetLayeredWindowAttributes failed, error %lu.\n", ::GetLastError());
            }
            // A tool window gets no taskbar button.
            exStyle = ::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE);
            ::SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE,
                                (exStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
        }
        break;
    case kLists:
        lists_.Create(skinSet_);
        break;
    case kControls:
        battery_.Create(Hwnd(), skinSet_.Scale());
        PlaceControls();
        notifyIcon_.LoadIcons();
        TraceDpi(L"CUIDlg::FinishStart");
        RegisterPowerNotifications();
        break;
    case kSchemes:
        // Windows reports each registered setting once at registration, which fills the scheme
        // list; where that report does not come, the list is filled here the same way.
        lists_.RefreshSchemeList();
        break;
    case kBattery:
        Send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
        battery_.StartController();
        break;
    default:
        break;
    }
    scope.completed = true;
}

bool CUIDlg::LoadImagesAt(int dpi) {
    // Decoded into locals first: a set that fails leaves the popup with the images it has.
    SkinSet next(skins_);
    next.SetDpi(dpi);
    UniqueGpBitmap background = next.Load(kBackgroundName);
    if (ImageWidth(background.Get()) == 0 || !battery_.LoadStrip(next)) {
        return false;
    }
    backdrop_ = ComposeBackdrop(background.Get()); // without it, each paint draws the image
    background_ = std::move(background);
    skinSet_.SetDpi(dpi);
    return true;
}

void CUIDlg::TraceDpi(const wchar_t* tag) const {
    DebugTrace(true, tag, L"%d dpi: images of the %d-dpi set, notification icons of %d px.\n",
               skinSet_.Scale().Dpi(), skinSet_.SetOf(kBackgroundName),
               notifyIcon_.LoadedIconWidth());
}

LRESULT CUIDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    // Before the start has decoded its images, its decode step reads the window's DPI itself.
    const int dpi = framework::ClampDpi(LOWORD(wParam));
    if (!Started() || broken_ || dpi == skinSet_.Scale().Dpi()) {
        return 0;
    }
    if (!LoadImagesAt(dpi)) {
        DebugTrace(true, L"CUIDlg::OnDpiChanged", L"The %d-dpi images cannot be decoded.\n", dpi);
        return 0;
    }
    lists_.Rescale(skinSet_);
    battery_.Rescale(skinSet_.Scale());
    PlaceControls();
    // The notification-area icons follow the system's small-icon metric, not this window's DPI.
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    RECT now{};
    ::GetWindowRect(Hwnd(), &now);
    const RECT& at = suggested != nullptr ? *suggested : now;
    ::SetWindowPos(Hwnd(), nullptr, at.left, at.top,
                   static_cast<int>(ImageWidth(background_.Get())),
                   static_cast<int>(ImageHeight(background_.Get())), SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    TraceDpi(L"CUIDlg::OnDpiChanged");
    return 0;
}

void CUIDlg::PlaceControls() {
    const SkinScale& scale = skinSet_.Scale();
    for (const LayoutPoint& place : kControlPlaces) {
        if (HWND item = Item(place.id)) {
            ::SetWindowPos(item, nullptr, scale.Px(place.x), scale.Px(place.y), 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER);
        }
    }
}

void CUIDlg::RegisterPowerNotifications() {
    for (std::size_t i = 0; i < notifications_.size(); ++i) {
        notifications_[i].Reset(::RegisterPowerSettingNotification(Hwnd(), &kNotifiedSettings[i],
                                                                   DEVICE_NOTIFY_WINDOW_HANDLE));
        if (!notifications_[i]) {
            // The list and the indicator then follow that setting only when the key shows them.
            DebugTrace(true, L"CUIDlg::OnInitDialog",
                       L"RegisterPowerSettingNotification %u failed, error %lu.\n",
                       static_cast<unsigned>(i), ::GetLastError());
        }
    }
}

LRESULT CUIDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SWITCHER_FINISH_START:
        ContinueStart();
        return 0;
    case WM_DPICHANGED:
        return OnDpiChanged(wParam, lParam);
    case WM_POWERBROADCAST:
        return FinishStart() ? OnPower(wParam, lParam) : TRUE;
    case WM_SWITCHER_HOOK_KEY:
        OnHookKey(static_cast<HookKey>(wParam));
        return 0;
    case WM_SWITCHER_TRAY:
        return notifyIcon_.OnNotify(lParam);
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
        // With the composed background WM_PAINT copies every pixel; erasing first would only
        // copy it twice.
        if (!backdrop_) {
            PaintBackground(reinterpret_cast<HDC>(wParam), true);
        }
        return TRUE;
    case WM_PAINT: {
        framework::PaintDC dc(Hwnd());
        if (dc && !CopyBackdrop(dc.Get())) {
            PaintBackground(dc.Get(), false);
        }
        return 0;
    }
    default:
        return Dialog::WindowProc(message, wParam, lParam);
    }
}

bool CUIDlg::CopyBackdrop(HDC dc) const {
    if (!backdrop_ || dc == nullptr) {
        return false;
    }
    framework::UniqueDC memory(::CreateCompatibleDC(dc));
    if (!memory) {
        return false;
    }
    const framework::SelectedObject selected(memory.Get(), backdrop_.Get());
    return selected && ::BitBlt(dc, 0, 0, static_cast<int>(ImageWidth(background_.Get())),
                                static_cast<int>(ImageHeight(background_.Get())), memory.Get(), 0,
                                0, SRCCOPY) != FALSE;
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
    if (IsShown() || inStartStep_) {
        // The popup goes when it is next dismissed, at the latest after three idle seconds; a
        // step of the start that served this request while it called out ends first.
        closePending_ = true;
        return -1;
    }
    // A copy asked to close before its start is through still makes the start's battery check
    // and controller notice.
    FinishStart();
    Destroy();
    return -1;
}

LRESULT CUIDlg::OnPower(WPARAM event, LPARAM data) {
    switch (event) {
    case PBT_APMRESUMESUSPEND:
        battery_.StartController();
        key_.ReHook();
        break;
    case PBT_APMPOWERSTATUSCHANGE:
        battery_.CheckHealth();
        break;
    case PBT_POWERSETTINGCHANGE:
        lists_.RefreshSchemeList();
        battery_.OnSettingChange(data);
        break;
    default:
        break;
    }
    return -1;
}

void CUIDlg::OnDestroy() {
    key_.StopTimer();
    for (UniquePowerNotify& notification : notifications_) {
        notification.Reset();
    }
    notifyIcon_.SetTrayIcon(0, false);
    key_.Uninstall();
    battery_.ReleaseStrip();
    backdrop_.Reset();
    background_.Reset();
}

bool CUIDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED && control != nullptr) {
        switch (id) {
        case IDC_SCROLL_UP:
            lists_.Scroll(true);
            return true;
        case IDC_SCROLL_DOWN:
            lists_.Scroll(false);
            return true;
        case IDC_SCHEME_LIST:
        case IDC_ACTION_LIST:
            lists_.OnClicked(static_cast<int>(id));
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

void CUIDlg::ActivateSelection() {
    if (!lists_.ActionsCurrent()) {
        lists_.ActivateScheme();
        return;
    }
    // An action hides the popup before it runs; the row is read first.
    const int row = lists_.ActionSelection();
    key_.StopTimer();
    ::ShowWindow(Hwnd(), SW_HIDE);
    lists_.RunAction(row);
    if (closePending_) {
        Destroy(); // held while the popup was shown, as a dismissal does
    }
}

void CUIDlg::OnCancel() {
    key_.StopTimer();
    ::ShowWindow(Hwnd(), SW_HIDE);
    key_.ReHook();
    if (closePending_) {
        Destroy();
    }
}

void CUIDlg::OnHookKey(HookKey key) {
    switch (key) {
    case HookKey::Profile:
        if (IsShown()) {
            ForceForeground();
            Post(WM_KEYDOWN, VK_DOWN);
        } else {
            ShowPopup();
        }
        break;
    case HookKey::Battery:
        if (!FinishStart()) { // the start's own check comes first
            break;
        }
        battery_.ForceNextWarning();
        Send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
        break;
    case HookKey::Other:
        break;
    }
}

void CUIDlg::ShowPopup() {
    if (!FinishStart()) {
        return;
    }
    ::SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::ShowWindow(Hwnd(), SW_SHOW);
    // The top visible scheme is highlighted and the scheme list becomes the current one; the
    // refresh that follows marks the active scheme and brings it into view.
    lists_.HoverSchemes();
    Send(WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 0);
    ForceForeground();
    key_.StartPopupTimer();
}

void CUIDlg::ForceForeground() {
    // A program may take the foreground only from the thread that has the input; joining that
    // thread's input for the call lets the popup come to the front over any program.
    const HWND foreground = ::GetForegroundWindow();
    const DWORD foregroundThread =
        foreground != nullptr ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    const DWORD thisThread = ::GetCurrentThreadId();
    const bool attach = foregroundThread != 0 && foregroundThread != thisThread;
    if (attach) {
        ::AttachThreadInput(foregroundThread, thisThread, TRUE);
    }
    ::SetForegroundWindow(Hwnd());
    if (attach) {
        ::AttachThreadInput(foregroundThread, thisThread, FALSE);
    }
}

void CUIDlg::OnTimer(UINT_PTR id) {
    switch (id) {
    case TIMER_REHOOK:
        if (!IsShown()) {
            key_.OnRehookTimer();
        }
        break;
    case TIMER_POPUP:
        battery_.OnTimer();
        if (key_.IdleTick()) {
            Send(WM_COMMAND, IDCANCEL);
        }
        break;
    default:
        break;
    }
}

bool CUIDlg::PreTranslateMessage(MSG& message) {
    if (message.message != WM_TIMER) {
        key_.OnActivity();
    }
    if (message.message == WM_KEYDOWN && Started()) {
        lists_.Navigate(static_cast<UINT>(message.wParam));
    }
    // Enter gives IDOK and Escape IDCANCEL.
    return Dialog::PreTranslateMessage(message);
}

} // namespace switcher
