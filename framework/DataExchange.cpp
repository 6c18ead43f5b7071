#include "framework/DataExchange.h"

#include <commctrl.h>

#include "framework/TextCut.h"
#include "framework/WindowText.h"

namespace framework {

void DataExchange::Text(int id, std::string& value, std::size_t maxLength) {
    const HWND control = ::GetDlgItem(dialog_, id);
    if (control == nullptr) {
        return;
    }
    if (Saving()) {
        value = CutToBytes(WindowText(control), maxLength, IsAnsiLeadByte);
        return;
    }
    // The edit counts characters, not bytes: the cut on saving keeps the byte limit.
    ::SendMessageA(control, EM_LIMITTEXT, maxLength, 0);
    SetWindowText(control, CutToBytes(value, maxLength, IsAnsiLeadByte));
}

void DataExchange::Check(int id, int& value) {
    if (Saving()) {
        value = ::IsDlgButtonChecked(dialog_, id) != BST_UNCHECKED ? 1 : 0;
    } else {
        ::CheckDlgButton(dialog_, id, value != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DataExchange::ComboSelection(int id, int& index) {
    if (Saving()) {
        const LRESULT selected = ::SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0);
        index = selected == CB_ERR ? -1 : static_cast<int>(selected);
    } else {
        ::SendDlgItemMessageA(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void DataExchange::TrackPosition(int id, int& position) {
    if (Saving()) {
        position = static_cast<int>(::SendDlgItemMessageA(dialog_, id, TBM_GETPOS, 0, 0));
    } else {
        ::SendDlgItemMessageA(dialog_, id, TBM_SETPOS, TRUE, position);
    }
}

} // namespace framework
