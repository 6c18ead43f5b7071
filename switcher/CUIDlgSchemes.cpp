// The popup's two lists: the operating system's power schemes with the active one marked, and
// the power actions; what activating a row does.
#include "switcher/CUIDlg.h"

#include <powrprof.h>

#include <cstring>

#include "framework/Module.h"
#include "framework/UniqueHandle.h"
#include "switcher/DebugTrace.h"
#include "switcher/ResourceText.h"
#include "switcher/SwitcherIds.h"

namespace switcher {

namespace {

// PowerReadFriendlyName's buffer: 1,024 wide characters.
constexpr DWORD kFriendlyNameBytes = 2048;

bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

} // namespace

void CUIDlg::EnumerateSchemes(std::vector<GUID>& schemes) const {
    for (ULONG index = 0;; ++index) {
        GUID scheme{};
        DWORD size = sizeof(scheme);
        if (::PowerEnumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, index,
                             reinterpret_cast<UCHAR*>(&scheme), &size) != ERROR_SUCCESS) {
            return;
        }
        schemes.push_back(scheme);
    }
}

void CUIDlg::RefreshSchemeList() {
    ListModel& schemes = schemeList_.Model();
    const int relative = schemes.VisibleHighlight();
    const int actionHighlight = actionList_.Model().Selection();

    schemes_.clear();
    schemes.Clear();
    schemeList_.Repaint();

    EnumerateSchemes(schemes_);
    GUID* active = nullptr;
    if (::PowerGetActiveScheme(nullptr, &active) != ERROR_SUCCESS) {
        active = nullptr;
    }
    int activeRow = -1;
    for (std::size_t i = 0; i < schemes_.size(); ++i) {
        wchar_t name[kFriendlyNameBytes / sizeof(wchar_t)] = L"";
        DWORD size = kFriendlyNameBytes;
        ::PowerReadFriendlyName(nullptr, &schemes_[i], nullptr, nullptr,
                                reinterpret_cast<UCHAR*>(name), &size);
        name[std::size(name) - 1] = L'\0';
        schemes.Add(name);
        if (active != nullptr && SameGuid(*active, schemes_[i])) {
            activeRow = static_cast<int>(i);
        }
    }
    // The system allocated the active scheme's GUID for us.
    framework::UniqueLocal activeBlock(active);

    if (currentList_.list != nullptr) {
        schemes.SetActiveMark(activeRow);
        if (currentList_.list == &schemeList_) {
            schemes.RestoreHighlightRelative(relative);
        } else if (actionHighlight >= 0) {
            actionList_.Model().HighlightVisibleRow(actionHighlight - actionList_.Model().First());
        }
        actionList_.Repaint();
    }
    // Sized to the rows that show a scheme even before a list is current.
    schemeList_.Repaint();
    UpdateScrollButtons();
    DebugTrace(true, L"CUIDlg::OnPower", L"Refresh power scheme.\n");
}

void CUIDlg::UpdateScrollButtons() {
    const ListModel& schemes = schemeList_.Model();
    if (HWND up = Item(IDC_SCROLL_UP)) {
        ::ShowWindow(up, schemes.CanScrollUp() ? SW_SHOW : SW_HIDE);
    }
    if (HWND down = Item(IDC_SCROLL_DOWN)) {
        ::ShowWindow(down, schemes.CanScrollDown() ? SW_SHOW : SW_HIDE);
    }
}

void CUIDlg::ScrollSchemes(bool up) {
    ListModel& schemes = schemeList_.Model();
    if (up ? schemes.ScrollUp() : schemes.ScrollDown()) {
        schemeList_.Repaint();
    }
    UpdateScrollButtons();
}

void CUIDlg::BuildActionList() {
    SYSTEM_POWER_CAPABILITIES capabilities{};
    if (!::GetPwrCapabilities(&capabilities)) {
        std::memset(&capabilities, 0, sizeof(capabilities));
    }
    const std::vector<ActionRow> rows =
        BuildActionRows(LoadResourceText(framework::ModuleInstance(), IDS_POWER_ACTIONS),
                        capabilities.SystemS3 != FALSE, capabilities.SystemS4 != FALSE,
                        capabilities.SystemS5 != FALSE);
    actionCodes_.clear();
    for (const ActionRow& row : rows) {
        actionCodes_.push_back(row.action);
        actionList_.AddRow(row.text);
    }
}

void CUIDlg::OnListClicked(CAdvListCtrl& list) {
    if (currentList_.list != &list) {
        return;
    }
    Send(WM_COMMAND, IDOK);
    if (&list == &schemeList_) {
        UpdateScrollButtons();
    }
}

void CUIDlg::ActivateSelection() {
    CAdvListCtrl* current = currentList_.list;
    if (current == &schemeList_) {
        const int row = schemeList_.GetSelection();
        if (row < 0 || static_cast<std::size_t>(row) >= schemes_.size()) {
            return;
        }
        // A refused change still moves the mark; the next notification rebuilds the list.
        ::PowerSetActiveScheme(nullptr, &schemes_[static_cast<std::size_t>(row)]);
        schemeList_.SetActiveMark(row);
        return;
    }
    if (current != &actionList_) {
        return;
    }
    const int row = actionList_.GetSelection();
    StopTimer();
    ::ShowWindow(Hwnd(), SW_HIDE);
    if (row < 0 || static_cast<std::size_t>(row) >= actionCodes_.size()) {
        return;
    }
    const PowerAction action = actionCodes_[static_cast<std::size_t>(row)];
    if (action == PowerAction::Sleep) {
        ::SetSuspendState(FALSE, FALSE, FALSE);
    } else {
        // Restart asks for a reboot only; the shutdown privilege was enabled at start.
        ::ExitWindowsEx(ExitWindowsFlags(action), 0);
    }
}

} // namespace switcher
