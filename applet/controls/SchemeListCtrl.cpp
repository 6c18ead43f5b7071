#include "SchemeListCtrl.h"

#include <string>

#include "applet/AppletMessages.h"
#include "applet/logic/ModeListRules.h"
#include "framework/Dialog.h"
#include "framework/TextCut.h"
#include "framework/WindowText.h"

namespace applet {

namespace {

constexpr int kAcDetailsId = 1126;
constexpr int kBatteryDetailsId = 1130;

} // namespace

void SchemeListCtrl::Bind(ModeList* modes, HWND deleteButton, int protectedRows, bool ac) {
    modes_ = modes;
    deleteButton_ = deleteButton;
    protectedRows_ = protectedRows;
    ac_ = ac;
}

int SchemeListCtrl::RowCount() const {
    return static_cast<int>(Send(LVM_GETITEMCOUNT));
}

int SchemeListCtrl::SelectedRow() const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int SchemeListCtrl::IdOfRow(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 || !Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        return -1;
    }
    return static_cast<int>(item.lParam);
}

store::SchemeStore* SchemeListCtrl::ModeOfRow(int row) const {
    if (modes_ == nullptr || row < 0 || row >= RowCount()) {
        return nullptr;
    }
    const int id = IdOfRow(row);
    for (const auto& mode : *modes_) {
        if (mode && mode->modeId == id) {
            return mode.get();
        }
    }
    return nullptr;
}

int SchemeListCtrl::InsertRow(int row, const store::SchemeStore& mode, bool selected) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
    item.iItem = row;
    item.pszText = const_cast<char*>(mode.mode.NamePolicy);
    item.iImage = mode.imageIndex;
    item.lParam = mode.modeId;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void SchemeListCtrl::Fill(int currentId) {
    filling_ = true;
    Send(LVM_DELETEALLITEMS);
    // The rows are new: the old checked row means nothing to them.
    checkedRow_ = -1;
    int currentRow = -1;
    if (modes_ != nullptr) {
        for (const auto& mode : *modes_) {
            if (!mode || mode->deleted != 0 || (mode->mode.ACPlug_IN != 0) != ac_) {
                continue;
            }
            const int row = InsertRow(RowCount(), *mode, mode->modeId == currentId);
            if (mode->modeId == currentId) {
                currentRow = row;
            }
        }
    }
    if (currentRow >= 0) {
        ListView_SetCheckState(Hwnd(), currentRow, TRUE);
        Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(currentRow), FALSE);
    }
    filling_ = false;
    UpdateDeleteButton();
}

int SchemeListCtrl::Append(const store::SchemeStore& mode) {
    filling_ = true;
    const int row = InsertRow(RowCount(), mode, true);
    filling_ = false;
    if (row >= 0) {
        SelectRow(row);
        Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    }
    UpdateDeleteButton();
    return row;
}

void SchemeListCtrl::SelectRow(int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SchemeListCtrl::UpdateDeleteButton() {
    // Delete acts on the selected row, so its state follows that row (the row that just
    // changed may be another one: a check box clicked beside the selection).
    if (deleteButton_ == nullptr) {
        return;
    }
    if (DeleteAllowed(SelectedRow(), protectedRows_)) {
        ::EnableWindow(deleteButton_, TRUE);
    } else {
        framework::DisableControl(deleteButton_);
    }
}

void SchemeListCtrl::OnItemChanged(const NMLISTVIEW& change) {
    if ((change.uNewState == 0 && change.uOldState == 0) || change.iItem < 0 || updating_) {
        return;
    }
    const CheckOutcome outcome =
        OnCheckChange({change.iItem, ListView_GetCheckState(Hwnd(), change.iItem) != FALSE,
                       checkedRow_, !filling_});
    updating_ = true;
    if (outcome.uncheckOthers) {
        const int count = RowCount();
        for (int other = 0; other < count; ++other) {
            if (other != change.iItem && ListView_GetCheckState(Hwnd(), other)) {
                ListView_SetCheckState(Hwnd(), other, FALSE);
            }
        }
    }
    if (outcome.checkAgain) {
        ListView_SetCheckState(Hwnd(), change.iItem, TRUE);
    }
    checkedRow_ = outcome.rememberedRow;
    updating_ = false;
    if (outcome.notify) {
        NotifyModified();
    }
    if (!filling_) {
        UpdateDeleteButton();
    }
}

void SchemeListCtrl::OnClick(const NMITEMACTIVATE& click, bool doubleClick) {
    if (click.iItem < 0) {
        if (RowCount() > 0) {
            SelectRow(0);
        }
        return;
    }
    if (doubleClick) {
        // As a click of the list's Details button: its id, BN_CLICKED and its window.
        const HWND page = ::GetParent(Hwnd());
        const int details = ac_ ? kAcDetailsId : kBatteryDetailsId;
        ::PostMessageA(page, WM_COMMAND, MAKEWPARAM(details, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(page, details)));
        return;
    }
    SelectRow(click.iItem);
}

bool SchemeListCtrl::OnEndLabelEdit(const NMLVDISPINFOA& info) {
    if (info.item.pszText == nullptr) {
        return false; // cancelled
    }
    store::SchemeStore* mode = ModeOfRow(info.item.iItem);
    // An empty name would show as a blank row in the tray's menu: the old name stays.
    if (mode == nullptr || IsBlankName(info.item.pszText)) {
        return false;
    }
    framework::CopyToField(mode->mode.NamePolicy, info.item.pszText, framework::IsAnsiLeadByte,
                           store::kModeNameLimit);
    mode->modified = 1;
    // Accepting would make the list show the uncut text: the cut name goes in instead.
    ListView_SetItemText(Hwnd(), info.item.iItem, 0, mode->mode.NamePolicy);
    NotifyModified();
    return false;
}

bool SchemeListCtrl::OnReflectedNotify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case LVN_ITEMCHANGED:
        OnItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
        result = 0;
        return true;
    case NM_CLICK:
    case NM_DBLCLK:
        OnClick(reinterpret_cast<const NMITEMACTIVATE&>(header), header.code == NM_DBLCLK);
        result = 0;
        return true;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_F2) {
            if (const int selected = SelectedRow(); selected >= 0) {
                Send(LVM_EDITLABELA, static_cast<WPARAM>(selected));
            }
        }
        result = 0;
        return true;
    case LVN_ENDLABELEDITA:
        result = OnEndLabelEdit(reinterpret_cast<const NMLVDISPINFOA&>(header)) ? TRUE : FALSE;
        return true;
    default:
        return false;
    }
}

} // namespace applet
