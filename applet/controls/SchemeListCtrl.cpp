#include "SchemeListCtrl.h"

#include <string>

#include "applet/AppletMessages.h"
#include "applet/logic/TextCut.h"
#include "framework/Application.h"

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

store::SchemeStore* SchemeListCtrl::ModeOfRow(int row) const {
    if (modes_ == nullptr || row < 0) {
        return nullptr;
    }
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        return nullptr;
    }
    for (const auto& mode : *modes_) {
        if (mode && mode->modeId == static_cast<int>(item.lParam)) {
            return mode.get();
        }
    }
    return nullptr;
}

void SchemeListCtrl::SelectRow(int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SchemeListCtrl::OnItemChanged(const NMLISTVIEW& change) {
    if ((change.uNewState == 0 && change.uOldState == 0) || change.iItem < 0 || updating_) {
        return;
    }
    const int row = change.iItem;
    const bool checked = ListView_GetCheckState(Hwnd(), row) != FALSE;
    updating_ = true;
    if (checked) {
        const int count = static_cast<int>(Send(LVM_GETITEMCOUNT));
        for (int other = 0; other < count; ++other) {
            if (other != row && ListView_GetCheckState(Hwnd(), other)) {
                ListView_SetCheckState(Hwnd(), other, FALSE);
            }
        }
        if (pendingChange_ && row != checkedRow_) {
            NotifyModified();
            pendingChange_ = !pendingChange_;
        }
        checkedRow_ = row;
    } else if (row == checkedRow_) {
        // A click can never leave no row checked.
        ListView_SetCheckState(Hwnd(), row, TRUE);
    }
    updating_ = false;
    if (deleteButton_ != nullptr) {
        ::EnableWindow(deleteButton_, row >= protectedRows_ ? TRUE : FALSE);
    }
}

void SchemeListCtrl::OnClick(const NMITEMACTIVATE& click, bool doubleClick) {
    if (click.iItem < 0) {
        SelectRow(0);
        return;
    }
    if (doubleClick) {
        ::PostMessageA(::GetParent(Hwnd()), WM_COMMAND, 0, ac_ ? kAcDetailsId : kBatteryDetailsId);
        return;
    }
    SelectRow(click.iItem);
    pendingChange_ = true;
}

bool SchemeListCtrl::OnEndLabelEdit(const NMLVDISPINFOA& info) {
    if (info.item.pszText == nullptr) {
        return false; // cancelled
    }
    store::SchemeStore* mode = ModeOfRow(info.item.iItem);
    if (mode == nullptr) {
        return false;
    }
    const std::string name = CutToBytes(info.item.pszText, kModeNameLimit,
                                        [](unsigned char c) { return ::IsDBCSLeadByte(c) != 0; });
    lstrcpynA(mode->mode.NamePolicy, name.c_str(), sizeof mode->mode.NamePolicy);
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
            const int selected =
                static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
            if (selected >= 0) {
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
