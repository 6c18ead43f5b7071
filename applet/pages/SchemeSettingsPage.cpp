#include "SchemeSettingsPage.h"

#include <vector>

#include "applet/controls/HelpPopup.h"
#include "applet/res/resource.h"
#include "hardware/PowerStatus.h"

namespace applet {

namespace {

// The mode's arrays in the order of the grid's rows.
std::uint32_t (&Field(store::PowerSaveMode& mode, int row))[store::kColumns] {
    switch (row) {
    case kRowProcessor:
        return mode.CPU_Duty;
    case kRowBrightness:
        return mode.Brightnes;
    case kRowMonitor:
        return mode.Panel;
    case kRowDisk:
        return mode.HDD;
    case kRowStandby:
        return mode.Standby;
    default:
        return mode.Hibernate;
    }
}

// The battery modes' row icons, as the template names them.
constexpr int kBatteryRowIcons[kGridRows] = {IDI_ROW_PROCESSOR, IDI_ROW_BRIGHTNESS,
                                             IDI_ROW_MONITOR,   IDI_ROW_DISK,
                                             IDI_ROW_STANDBY,   IDI_ROW_HIBERNATE};

} // namespace

SchemeSettingsPage::SchemeSettingsPage() : Dialog(IDD_SETTINGS_PAGE, framework::TextKind::Narrow) {}

bool SchemeSettingsPage::OnInitDialog() {
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            const GridCell& cell = kGrid[row].cells[column];
            LabeledSlider& slider = sliders_[row][column];
            slider.SubclassDlgItem(cell.slider, Hwnd());
            slider.BindLabel(Item(cell.label));
            slider.BindFrame(Item(cell.frame));
            slider.LoadList(static_cast<UINT>(kGrid[row].choices));
            shown_[row][column] = true;
        }
        rowIcons_[row].SubclassDlgItem(kGrid[row].icon, Hwnd());
    }
    for (int column = 0; column < kGridColumns; ++column) {
        sliders_[kRowStandby][column].LinkPartners(&sliders_[kRowHibernate][column], nullptr);
        sliders_[kRowHibernate][column].LinkPartners(nullptr, &sliders_[kRowStandby][column]);
        columnIcons_[column].SubclassDlgItem(kColumnIcons[column], Hwnd());
    }

    // Choices shorter than the system's shortest spin-down time are cut off.
    store::SchemeStore reader;
    std::uint32_t maxSeconds = 0;
    std::uint32_t minSeconds = 0;
    reader.ReadDiskSpinDownRange(maxSeconds, minSeconds);
    for (LabeledSlider& slider : sliders_[kRowDisk]) {
        const int count = static_cast<int>(slider.Choices().size());
        slider.SetMaximum(DiskSliderMaximum(minSeconds, count));
    }

    columnInEffect_ = -1;
    LayOutByKind();
    ShowHibernateRow();
    LoadFromMode();
    MarkColumnInEffect();
    return false;
}

void SchemeSettingsPage::LayOutByKind() {
    const bool ac = AcMode();
    if (ac) {
        columnIcons_[0].SetIcon(IDI_AC_POWER);
        for (int column = 1; column < kGridColumns; ++column) {
            columnIcons_[column].Show(false);
        }
    }
    for (int row = 0; row < kGridRows; ++row) {
        rowIcons_[row].SetIcon(static_cast<UINT>(ac ? kAcRowIcons[row] : kBatteryRowIcons[row]));
        for (int column = 1; column < kGridColumns; ++column) {
            ShowSlider(row, column, !ac);
        }
    }
}

void SchemeSettingsPage::ShowHibernateRow() {
    const bool shown = hibernateEnabled_;
    ShowSlider(kRowHibernate, 0, shown);
    rowIcons_[kRowHibernate].Show(shown);
    ::ShowWindow(Item(kHibernateRowText), shown ? SW_SHOW : SW_HIDE);
    if (!AcMode()) {
        for (int column = 1; column < kGridColumns; ++column) {
            ShowSlider(kRowHibernate, column, shown);
        }
    }
}

void SchemeSettingsPage::ShowSlider(int row, int column, bool shown) {
    sliders_[row][column].Show(shown);
    shown_[row][column] = shown;
}

void SchemeSettingsPage::LoadFromMode() {
    if (mode_ == nullptr || Hwnd() == nullptr) {
        return;
    }
    for (int row = 0; row < kGridRows; ++row) {
        const auto& words = Field(mode_->mode, row);
        for (int column = 0; column < kGridColumns; ++column) {
            // A damaged word beyond any list must not turn into a negative position.
            const std::uint32_t word = words[column];
            sliders_[row][column].SetValue(word > 0xFFFF ? 0 : static_cast<int>(word));
            loaded_[row][column] = sliders_[row][column].Value();
        }
    }
}

void SchemeSettingsPage::SaveToMode() const {
    if (mode_ == nullptr || Hwnd() == nullptr) {
        return;
    }
    for (int row = 0; row < kGridRows; ++row) {
        auto& words = Field(mode_->mode, row);
        for (int column = 0; column < kGridColumns; ++column) {
            // A hidden slider writes only what moved it (its shown partner): a word it never
            // moved stays as stored, also one outside its list.
            const int value = sliders_[row][column].Value();
            if (shown_[row][column] || value != loaded_[row][column]) {
                words[column] = static_cast<std::uint32_t>(value);
            }
        }
    }
}

void SchemeSettingsPage::RemoveProcessorRow() {
    if (Hwnd() == nullptr) {
        return;
    }
    for (const int id : {kProcessorRowText, kGrid[kRowProcessor].icon}) {
        ::ShowWindow(Item(id), SW_HIDE);
    }
    for (int column = 0; column < kGridColumns; ++column) {
        ShowSlider(kRowProcessor, column, false);
    }
    RECT processor{};
    RECT brightness{};
    ::GetWindowRect(Item(kGrid[kRowProcessor].cells[0].frame), &processor);
    ::GetWindowRect(Item(kGrid[kRowBrightness].cells[0].frame), &brightness);
    const int up = brightness.top - processor.top;
    // Children are collected first: moving windows while walking the list could reorder it.
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(Hwnd(), GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    for (const HWND child : children) {
        const int id = ::GetDlgCtrlID(child);
        bool columnIcon = false;
        for (const int icon : kColumnIcons) {
            columnIcon = columnIcon || id == icon;
        }
        if (columnIcon) {
            continue;
        }
        RECT rect{};
        ::GetWindowRect(child, &rect);
        POINT at{rect.left, rect.top - up};
        ::ScreenToClient(Hwnd(), &at);
        ::SetWindowPos(child, nullptr, at.x, at.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SchemeSettingsPage::MarkColumnInEffect() {
    if (mode_ == nullptr || Hwnd() == nullptr) {
        return;
    }
    store::SchemeStore current;
    current.LoadGlobal(HKEY_CURRENT_USER);
    const bool ac = AcMode();
    columnInEffect_ = applet::ColumnInEffect(hardware::AcLineStatus(), ac, mode_->modeId,
                                             current.global.PwrSchemeAC, current.global.PwrSchemeDC,
                                             hardware::BatteryPercent());
    const int columns = ac ? 1 : kGridColumns;
    for (int column = 0; column < columns; ++column) {
        const bool inEffect = column == columnInEffect_;
        for (int row = 0; row < kGridRows; ++row) {
            sliders_[row][column].MarkInEffect(inEffect);
        }
        columnIcons_[column].SetIcon(static_cast<UINT>(ColumnIcon(ac, column, inEffect)));
    }
    ::RedrawWindow(Hwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool SchemeSettingsPage::OnHelp(const HELPINFO& help) {
    if (help.iContextType != HELPINFO_WINDOW) {
        return false;
    }
    ShowHelpFor(Hwnd(), help, static_cast<UINT>(SettingsPageHelpId(help.iCtrlId, AcMode())));
    return true;
}

} // namespace applet
