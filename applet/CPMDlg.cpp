#include "CPMDlg.h"

#include <commctrl.h>

#include <string>

#include "AppletMessages.h"
#include "AppletPolicy.h"
#include "CAboutDlg.h"
#include "PageList.h"
#include "applet/logic/HibernateRules.h"
#include "applet/logic/ProgressRules.h"
#include "applet/res/resource.h"
#include "framework/Application.h"
#include "framework/DpiScale.h"
#include "framework/IconLoad.h"
#include "framework/Module.h"
#include "framework/PaintDC.h"
#include "framework/Trace.h"
#include "framework/WindowDpi.h"
#include "framework/WindowText.h"
#include "hardware/PowerStatus.h"
#include "pages/AdvancedPage.h"
#include "pages/AlarmPage.h"
#include "pages/BatteryMeterPage.h"
#include "pages/PowerSaveModesPage.h"
#include "store/PowerApi.h"
#include "store/SuiteMessages.h"

namespace applet {

namespace {

constexpr COLORREF kGaugeFirst = 0xFF00FF;
constexpr COLORREF kGaugeSecond = 0xFF0000;
constexpr COLORREF kGaugeBackground = 0x808080;
constexpr POWER_INFORMATION_LEVEL kReserveHiberFile = static_cast<POWER_INFORMATION_LEVEL>(10);
static_assert(kReserveHiberFile == SystemReserveHiberFile);

HICON LoadAppletIcon(int size) {
    return framework::LoadIconAtSize(framework::ModuleInstance(), IDI_APPLET, size).Release();
}

// Reserves or releases the hibernation file; true when the power manager did it.
bool ReserveHibernationFile(store::PowerApi& power, std::uint32_t enable) {
    BOOLEAN reserve = enable != 0 ? TRUE : FALSE;
    return power.CallNtPowerInformation(kReserveHiberFile, &reserve, sizeof(reserve), nullptr, 0) ==
           0;
}

bool AdmitUser(const hardware::MessageBoxFn& box) {
    store::PowerApi power;
    const std::string text = framework::LoadText(IDS_ADMIN_RIGHTS);
    return hardware::RequireSchemeWriteRights(power.CanUserWritePwrScheme(),
                                              text.empty() ? nullptr : text.c_str(), box);
}

} // namespace

CPMDlg::CPMDlg() : Dialog(IDD_PMDLG, framework::TextKind::Narrow) {}

CPMDlg::~CPMDlg() = default;

INT_PTR CPMDlg::DoModal(HWND parent) {
    hardware::StartOptions options = startOptions_;
    if (!options.firstCheck) {
        options.firstCheck = &AdmitUser;
    }
    // Both libraries stay loaded while the dialog runs; the policy library goes first.
    std::unique_ptr<hardware::SiblingLibraries> libraries =
        hardware::RunStartSequence(AppletPolicy(), options);
    if (!libraries) {
        return 0;
    }
    const INT_PTR result = Dialog::DoModal(parent);
    libraries.reset();
    return result;
}

bool CPMDlg::OnInitDialog() {
    if (framework::Application* app = framework::Application::Current()) {
        app->SetMainWindow(this);
    }
    bigIcon_.Reset(LoadAppletIcon(framework::LargeIconSize()));
    smallIcon_.Reset(LoadAppletIcon(framework::SmallIconSize()));
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));

    about_.SubclassDlgItem(IDC_PM_ABOUT, Hwnd());
    about_.SetIcons(IDI_ABOUT);
    about_.SetTooltip(IDS_ABOUT_TIP);

    SetUpGauge();
    AddTabs();
    settings_.LoadGlobal(HKEY_CURRENT_USER);
    gauge_.Send(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    gauge_.Send(PBM_SETPOS, static_cast<WPARAM>(std::max(hardware::BatteryPercent(), 0)));

    RECT frame{};
    ::GetWindowRect(Item(IDC_PM_PAGE_FRAME), &frame);
    ::OffsetRect(&frame, 4, 2);
    host_.SetPageRect(frame);
    host_.SetTabControl(Item(IDC_PM_TABS));
    CreatePages();
    host_.Select(0);
    SetTimer(kGaugeTimer, kGaugePeriod);
    return true;
}

void CPMDlg::SetUpGauge() {
    gauge_.SubclassDlgItem(IDC_PM_GAUGE, Hwnd());
    LOGFONTA font{};
    lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
    font.lfWeight = FW_BOLD;
    // 9 points at the dialog's DPI: the bar grows with the dialog's font.
    font.lfHeight = framework::FontHeightForDpi(9, framework::WindowDpi(Hwnd()));
    font.lfCharSet = static_cast<BYTE>(GaugeCharset(::GetSystemDefaultLangID()));
    // (90 mod 360) x 10: the text runs upwards along the vertical bar.
    font.lfEscapement = font.lfOrientation = (90 % 360) * 10;
    gaugeFont_.Reset(::CreateFontIndirectA(&font));
    gauge_.Send(WM_SETFONT, reinterpret_cast<WPARAM>(gaugeFont_.Get()), FALSE);
    gauge_.Send(PBM_SETBKCOLOR, 0, kGaugeBackground);
    gauge_.Send(PBM_SETBARCOLOR, kGaugeSecond, kGaugeFirst);
    UpdateGauge();
}

void CPMDlg::AddTabs() {
    const HWND tabs = Item(IDC_PM_TABS);
    int index = 0;
    for (const PageEntry& entry : kPages) {
        std::string text = framework::LoadText(entry.tabText);
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = text.data();
        item.lParam = entry.itemData;
        ::SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index++),
                       reinterpret_cast<LPARAM>(&item));
    }
}

void CPMDlg::SettleHibernation() {
    store::PowerApi power;
    SYSTEM_POWER_CAPABILITIES capabilities{};
    hibernateSupported_ = power.GetPwrCapabilities(&capabilities) && capabilities.SystemS4;
    store::GlobalPowerSettings& global = settings_.global;
    if (hibernateSupported_) {
        if (!power.IsPwrHibernateAllowed() && !CheckHibernateDiskSpace()) {
            global.HibernateEnable = 0;
        }
        ReserveHibernationFile(power, global.HibernateEnable);
    } else {
        global.HibernateEnable = 0;
    }
    hibernateEnabled_ = global.HibernateEnable != 0;
}

void CPMDlg::CreatePages() {
    modesPage_ = std::make_unique<PowerSaveModesPage>();
    alarmPage_ = std::make_unique<AlarmPage>();
    advancedPage_ = std::make_unique<AdvancedPage>();
    meterPage_ = std::make_unique<BatteryMeterPage>();
    SettleHibernation();

    modesPage_->SetSettings(&settings_.global);
    host_.AddPage(modesPage_.get(), IDD_MODES_PAGE, Hwnd());
    modesPage_->SetHibernate(hibernateEnabled_);

    alarmPage_->SetHibernate(hibernateEnabled_);
    host_.AddPage(alarmPage_.get(), IDD_ALARM_PAGE, Hwnd());
    alarmPage_->SetSettings(&settings_.global);
    alarmPage_->SetHibernate(hibernateEnabled_);
    alarmPage_->Load();

    host_.AddPage(advancedPage_.get(), IDD_ADVANCED_PAGE, Hwnd());
    advancedPage_->SetSettings(&settings_.global);
    advancedPage_->SetHibernateSupported(hibernateSupported_);
    advancedPage_->Load();

    host_.AddPage(meterPage_.get(), IDD_BATTERY_PAGE, Hwnd());

    for (int i = 0; i < host_.Count(); ++i) {
        if (framework::Dialog* page = host_.Page(i); page != nullptr && page->Hwnd() != nullptr) {
            UseTabBackground(page->Hwnd());
        }
    }
}

void CPMDlg::UpdateGauge() {
    const int percent = hardware::BatteryPercent();
    if (percent != -1) {
        gauge_.SetText(framework::LoadText(IDS_GAUGE_FORMAT), kTextPercent);
        gauge_.Send(PBM_SETPOS, static_cast<WPARAM>(percent));
    } else {
        gauge_.SetText(framework::LoadText(IDS_NOT_PRESENT), kTextModeMask);
        gauge_.Send(PBM_SETPOS, 0);
    }
    ::RedrawWindow(gauge_.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CPMDlg::SavePages() {
    if (advancedPage_) {
        advancedPage_->Save();
    }
    if (alarmPage_) {
        alarmPage_->Save();
    }
    if (modesPage_) {
        modesPage_->Save();
    }
    settings_.SaveGlobal(HKEY_CURRENT_USER);
}

void CPMDlg::Apply() {
    store::PowerApi power;
    SavePages();
    if (!ReserveHibernationFile(power, settings_.global.HibernateEnable)) {
        if (advancedPage_) {
            advancedPage_->SetHibernateBox(false);
        }
        SpreadHibernate(false);
        // The pages have replaced every Hibernate action: the store takes what they show, so
        // that the tray applies no hibernation the system refused and the next opening shows
        // what was saved.
        if (advancedPage_) {
            advancedPage_->Save();
        }
        if (alarmPage_) {
            alarmPage_->Save();
        }
        settings_.global.HibernateEnable = 0;
        settings_.SaveGlobal(HKEY_CURRENT_USER);
    }
    if (const HWND tray = ::FindWindowA(store::kTrayWindowClass, nullptr)) {
        // Synchronous, so that the tray has read the store before Apply returns, but bounded:
        // a hung tray must not freeze the Control Panel.
        DWORD_PTR answer = 0;
        if (::SendMessageTimeoutA(tray, store::WM_SCHEME_CHANGED, 0, 0,
                                  SMTO_NORMAL | SMTO_ABORTIFHUNG, kTrayWait, &answer) == 0) {
            framework::Trace("Vumo: the tray did not answer the change, error %lu\n",
                             ::GetLastError());
        }
    }
    framework::DisableControl(Item(IDC_PM_APPLY));
    // The taskbar lays out its icons again (the tray icon may have come or gone).
    if (const HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr)) {
        ::PostMessageA(taskbar, WM_SIZE, 0, 0);
    }
}

void CPMDlg::SpreadHibernate(bool enabled) {
    hibernateEnabled_ = enabled;
    if (modesPage_) {
        modesPage_->SetHibernate(enabled);
    }
    if (alarmPage_) {
        alarmPage_->SetHibernate(enabled);
    }
    if (advancedPage_) {
        advancedPage_->SetHibernate(enabled);
    }
}

void CPMDlg::OnOK() {
    // Apply disabled: nothing was edited since the opening or the last Apply.
    if (::IsWindowEnabled(Item(IDC_PM_APPLY))) {
        Apply();
    }
    Dialog::OnOK();
}

bool CPMDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED && id == IDC_PM_APPLY) {
        Apply();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_PM_ABOUT) {
        CAboutDlg about;
        about.DoModal(Hwnd());
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}

bool CPMDlg::PreTranslateMessage(MSG& message) {
    return host_.TranslatePageKey(message) || Dialog::PreTranslateMessage(message);
}

bool CPMDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_PM_TABS && header.code == TCN_SELCHANGE) {
        host_.Select(static_cast<int>(::SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
        result = 0;
        return true;
    }
    return Dialog::OnNotify(header, result);
}

void CPMDlg::OnTimer(UINT_PTR id) {
    if (id == kGaugeTimer) {
        UpdateGauge();
    }
}

bool CPMDlg::PaintMinimised() {
    if (!::IsIconic(Hwnd())) {
        return false;
    }
    framework::PaintDC paint(Hwnd());
    Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Get()));
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(paint.Get(), x, y, bigIcon_.Get());
    return true;
}

void CPMDlg::DestroyPages() {
    host_ = framework::TabPageHost{};
    modesPage_.reset();
    alarmPage_.reset();
    advancedPage_.reset();
    meterPage_.reset();
}

LRESULT CPMDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        if (PaintMinimised()) {
            return 0;
        }
        break;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(smallIcon_.Get());
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMPOWERSTATUSCHANGE) {
            UpdateGauge();
            if (meterPage_) {
                meterPage_->Refresh();
            }
        }
        return TRUE;
    case WM_APPLET_MODIFIED:
        ::EnableWindow(Item(IDC_PM_APPLY), TRUE);
        return 0;
    case WM_HIBERNATE_CHANGED:
        SpreadHibernate(wParam != 0);
        return 0;
    case WM_DESTROY:
        KillTimer(kGaugeTimer);
        DestroyPages();
        break;
    default:
        break;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

} // namespace applet
