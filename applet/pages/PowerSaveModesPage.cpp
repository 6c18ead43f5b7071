#include "PowerSaveModesPage.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "applet/AppletMessages.h"
#include "applet/controls/HelpPopup.h"
#include "applet/controls/IconStatic.h"
#include "applet/logic/HelpIds.h"
#include "applet/logic/ModeListRules.h"
#include "applet/pages/SchemePropertiesDlg.h"
#include "applet/res/resource.h"
#include "framework/IconLoad.h"
#include "framework/Module.h"
#include "framework/TextCut.h"
#include "framework/WindowText.h"

namespace applet {

namespace {

constexpr COLORREF kImageBackground = 0xFFFFFF;

// LastID missing or damaged (read as -1 or below): the keys that exist decide.
int WalkLimit(int lastId) {
    return lastId >= 0 ? lastId : INT_MAX;
}

} // namespace

PowerSaveModesPage::PowerSaveModesPage() : Dialog(IDD_MODES_PAGE, framework::TextKind::Narrow) {}

PowerSaveModesPage::~PowerSaveModesPage() = default;

const PowerSaveModesPage::Buttons& PowerSaveModesPage::ButtonsOf(bool ac) {
    static constexpr Buttons kAc{IDC_MODES_AC_COPY, IDC_MODES_AC_DELETE, IDC_MODES_AC_UNDO,
                                 IDC_MODES_AC_DETAILS};
    static constexpr Buttons kBattery{IDC_MODES_BATTERY_COPY, IDC_MODES_BATTERY_DELETE,
                                      IDC_MODES_BATTERY_UNDO, IDC_MODES_BATTERY_DETAILS};
    return ac ? kAc : kBattery;
}

std::uint32_t& PowerSaveModesPage::Current(bool ac) {
    return ac ? settings_->PwrSchemeAC : settings_->PwrSchemeDC;
}

store::SchemeStore* PowerSaveModesPage::FindMode(int id) const {
    for (const auto& mode : modes_) {
        if (mode->modeId == id) {
            return mode.get();
        }
    }
    return nullptr;
}

bool PowerSaveModesPage::OnInitDialog() {
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    acList_.SubclassDlgItem(IDC_MODES_AC_LIST, Hwnd());
    batteryList_.SubclassDlgItem(IDC_MODES_BATTERY_LIST, Hwnd());
    const int iconSize = framework::SmallIconSize();
    images_.Reset(::ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, 8, 8));
    ::ImageList_SetBkColor(images_.Get(), kImageBackground);
    for (SchemeListCtrl* list : {&acList_, &batteryList_}) {
        ListView_SetExtendedListViewStyle(list->Hwnd(), LVS_EX_CHECKBOXES);
        ListView_SetImageList(list->Hwnd(), images_.Get(), LVSIL_SMALL);
        RECT client{};
        ::GetClientRect(list->Hwnd(), &client);
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        column.cx = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
        ListView_InsertColumn(list->Hwnd(), 0, &column);
    }
    store::SchemeStore reader;
    lastId_ = reader.ReadLastId();
    CountDefaults();
    if (settings_ != nullptr) {
        if (settings_->PwrSchemeAC < static_cast<std::uint32_t>(acDefaults_)) {
            ::EnableWindow(Item(IDC_MODES_AC_DELETE), FALSE);
        }
        if (settings_->PwrSchemeDC < static_cast<std::uint32_t>(acDefaults_ + batteryDefaults_)) {
            ::EnableWindow(Item(IDC_MODES_BATTERY_DELETE), FALSE);
        }
    }
    acList_.Bind(&modes_, Item(IDC_MODES_AC_DELETE), acDefaults_, true);
    batteryList_.Bind(&modes_, Item(IDC_MODES_BATTERY_DELETE), batteryDefaults_, false);
    deletedId_ = -1;
    LoadModes();
    FillList(true);
    FillList(false);
    return false;
}

void PowerSaveModesPage::CountDefaults() {
    acDefaults_ = 0;
    batteryDefaults_ = 0;
    store::SchemeStore factory;
    for (const int id : factory.StoredModeIds(HKEY_LOCAL_MACHINE, WalkLimit(lastId_))) {
        if (factory.LoadScheme(HKEY_LOCAL_MACHINE, id)) {
            ++(factory.mode.ACPlug_IN != 0 ? acDefaults_ : batteryDefaults_);
        }
    }
}

int PowerSaveModesPage::AddImage(const store::SchemeStore& mode, bool fallBack, int replace) {
    framework::UniqueIcon icon(ExtractReferencedIcon(mode.mode.ICON, true));
    if (!icon && fallBack) {
        icon = framework::LoadIconAtSize(framework::ModuleInstance(), IDI_APPLET,
                                         framework::SmallIconSize());
    }
    if (!icon) {
        return -1;
    }
    return ::ImageList_ReplaceIcon(images_.Get(), replace, icon.Get());
}

void PowerSaveModesPage::LoadModes() {
    modes_.clear();
    ::ImageList_RemoveAll(images_.Get());
    // Only the keys that exist are read: a huge LastID costs nothing, and an id without data
    // is left out.
    store::SchemeStore reader;
    for (const int id : reader.StoredModeIds(HKEY_CURRENT_USER, WalkLimit(lastId_))) {
        auto mode = std::make_unique<store::SchemeStore>();
        if (!mode->LoadScheme(HKEY_CURRENT_USER, id)) {
            continue;
        }
        mode->modeId = id;
        mode->imageIndex = AddImage(*mode, true);
        modes_.push_back(std::move(mode));
    }
}

void PowerSaveModesPage::FillList(bool ac) {
    SchemeListCtrl& list = List(ac);
    const int current = settings_ != nullptr ? static_cast<int>(Current(ac)) : -1;
    list.Fill(current);
    if (current >= 0 && current < 4) {
        framework::DisableControl(Item(ButtonsOf(ac).remove));
    }
}

void PowerSaveModesPage::CopySelected(bool ac) {
    SchemeListCtrl& list = List(ac);
    const store::SchemeStore* source = list.ModeOfRow(list.SelectedRow());
    if (source == nullptr) {
        return;
    }
    // A copy never takes the number of a mode that exists, shown or not.
    store::SchemeStore reader;
    std::vector<int> inUse = reader.StoredModeIds(HKEY_CURRENT_USER, INT_MAX);
    for (const auto& mode : modes_) {
        inUse.push_back(mode->modeId);
    }
    const auto id = NextModeId(lastId_, inUse);
    if (!id) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    auto copy = std::make_unique<store::SchemeStore>();
    copy->CopyFrom(*source);
    const int image = AddImage(*copy, false);
    if (image >= 0) {
        copy->imageIndex = image;
    }
    lastId_ = *id;
    copy->modeId = *id;
    copy->mode.id = *id;
    const std::string name = CopyName(framework::LoadText(IDS_COPY_NAME), source->mode.NamePolicy,
                                      framework::IsAnsiLeadByte);
    framework::CopyToField(copy->mode.NamePolicy, name, framework::IsAnsiLeadByte);
    copy->modified = 1;
    modes_.push_back(std::move(copy));
    list.Append(*modes_.back());
    NotifyModified();
}

void PowerSaveModesPage::DeleteSelected(bool ac) {
    SchemeListCtrl& list = List(ac);
    const int row = list.SelectedRow();
    store::SchemeStore* mode = list.ModeOfRow(row);
    if (mode == nullptr || !DeleteAllowed(row, list.ProtectedRows()) || settings_ == nullptr) {
        return;
    }
    mode->deleted = 1;
    deletedId_ = mode->modeId;
    const int remembered = list.IdOfRow(list.CheckedRow());
    // Undo puts back the check and the choice in force that the deletion replaced.
    checkedBeforeDelete_ = remembered;
    int factoryDefault = -1;
    if (remembered == deletedId_) {
        store::SchemeStore factory;
        factory.LoadGlobal(HKEY_LOCAL_MACHINE);
        factoryDefault =
            static_cast<int>(ac ? factory.global.PwrSchemeAC : factory.global.PwrSchemeDC);
    }
    std::vector<ModeEntry> entries;
    for (const auto& m : modes_) {
        entries.push_back({m->modeId, m->mode.ACPlug_IN != 0, m->modified != 0, m->deleted != 0});
    }
    const int current =
        CurrentAfterDelete(ListRows(entries, ac), remembered, deletedId_, factoryDefault);
    if (current >= 0) {
        Current(ac) = static_cast<std::uint32_t>(current);
    }
    FillList(ac);
    ::EnableWindow(Item(ButtonsOf(ac).undo), TRUE);
    framework::DisableControl(Item(ButtonsOf(!ac).undo));
    NotifyModified();
}

void PowerSaveModesPage::Undo(bool ac) {
    if (settings_ == nullptr) {
        return;
    }
    SchemeListCtrl& list = List(ac);
    // The check stays where the user has put it since, unless the deletion took it away.
    int checked = list.IdOfRow(list.CheckedRow());
    store::SchemeStore* mode = FindMode(deletedId_);
    if (mode != nullptr) {
        mode->deleted = 0;
        if (checkedBeforeDelete_ == deletedId_) {
            checked = deletedId_;
        }
    }
    if (checked >= 0) {
        Current(ac) = static_cast<std::uint32_t>(checked);
    }
    deletedId_ = -1;
    checkedBeforeDelete_ = -1;
    FillList(ac);
    framework::DisableControl(Item(ButtonsOf(ac).undo));
    NotifyModified();
}

void PowerSaveModesPage::ShowDetails(bool ac) {
    SchemeListCtrl& list = List(ac);
    const int row = list.SelectedRow();
    store::SchemeStore* mode = list.ModeOfRow(row);
    if (mode == nullptr) {
        return;
    }
    SchemePropertiesDlg dialog;
    dialog.SetScheme(mode);
    dialog.SetHibernate(hibernateEnabled_);
    if (dialog.DoModal(Hwnd()) != IDOK) {
        return;
    }
    mode->modified = 1;
    // A reference that names no icon leaves the image as it was.
    AddImage(*mode, false, mode->imageIndex);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = mode->mode.NamePolicy;
    item.iImage = mode->imageIndex;
    list.Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    list.Send(LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
    NotifyModified();
}

void PowerSaveModesPage::Save() {
    if (Hwnd() == nullptr || settings_ == nullptr) {
        return;
    }
    std::vector<ModeEntry> entries;
    for (const auto& m : modes_) {
        entries.push_back({m->modeId, m->mode.ACPlug_IN != 0, m->modified != 0, m->deleted != 0});
    }
    const SavePlan plan = PlanSave(entries);
    store::SchemeStore writer;
    for (const int id : plan.remove) {
        writer.DeleteScheme(HKEY_CURRENT_USER, id);
    }
    for (const auto& mode : modes_) {
        if (mode->deleted == 0 && mode->modified != 0) {
            mode->SaveScheme(HKEY_CURRENT_USER, mode->modeId);
            mode->modified = 0;
        }
    }
    // An empty list (no mode of that kind at all) keeps the mode in force as it was.
    for (const bool ac : {true, false}) {
        const int checked = List(ac).IdOfRow(List(ac).CheckedRow());
        if (checked >= 0) {
            Current(ac) = static_cast<std::uint32_t>(checked);
        }
    }
    writer.WriteLastId(plan.lastId);
    lastId_ = plan.lastId;
    // What is gone from the store goes from the page, so a second Apply deletes nothing more.
    modes_.erase(std::remove_if(modes_.begin(), modes_.end(),
                                [](const auto& mode) { return mode->deleted != 0; }),
                 modes_.end());
    if (deletedId_ != -1) {
        deletedId_ = -1;
        checkedBeforeDelete_ = -1;
        framework::DisableControl(Item(IDC_MODES_AC_UNDO));
        framework::DisableControl(Item(IDC_MODES_BATTERY_UNDO));
    }
}

bool PowerSaveModesPage::OnCommand(UINT id, UINT code, HWND control) {
    if (code != BN_CLICKED) {
        return Dialog::OnCommand(id, code, control);
    }
    for (const bool ac : {true, false}) {
        const Buttons& buttons = ButtonsOf(ac);
        if (static_cast<int>(id) == buttons.copy) {
            CopySelected(ac);
            return true;
        }
        if (static_cast<int>(id) == buttons.remove) {
            DeleteSelected(ac);
            return true;
        }
        if (static_cast<int>(id) == buttons.undo) {
            Undo(ac);
            return true;
        }
        if (static_cast<int>(id) == buttons.details) {
            ShowDetails(ac);
            return true;
        }
    }
    return Dialog::OnCommand(id, code, control);
}

bool PowerSaveModesPage::OnHelp(const HELPINFO& help) {
    if (help.iContextType != HELPINFO_WINDOW) {
        return false;
    }
    ShowHelpFor(Hwnd(), help, static_cast<UINT>(ModesPageHelpId(help.iCtrlId)));
    return true;
}

LRESULT PowerSaveModesPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        // The lists share the image list without owning it; they let go of it first.
        for (SchemeListCtrl* list : {&acList_, &batteryList_}) {
            if (list->Hwnd() != nullptr) {
                ListView_SetImageList(list->Hwnd(), nullptr, LVSIL_SMALL);
            }
        }
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

} // namespace applet
