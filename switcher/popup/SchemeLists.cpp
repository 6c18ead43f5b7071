#include "switcher/popup/SchemeLists.h"

#include <powrprof.h>

#include <algorithm>
#include <cstring>

#include "framework/Module.h"
#include "framework/UniqueHandle.h"
#include "switcher/DebugTrace.h"
#include "switcher/ResourceText.h"
#include "switcher/SwitcherIds.h"
#include "switcher/controls/GdiplusHandles.h"
#include "switcher/logic/PopupLayout.h"

namespace switcher {

namespace {

constexpr int kListRows = 4;
// Sleep, Restart and Shut Down at most: a fourth row would reach past the artwork's edge.
constexpr int kActionRows = 3;

// PowerReadFriendlyName's buffer: 1,024 wide characters.
constexpr DWORD kFriendlyNameBytes = 2048;

bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

} // namespace

SchemeLists::SchemeLists(framework::Dialog& popup)
    : popup_(popup), schemeList_(currentList_), actionList_(currentList_) {}

void SchemeLists::Create(const SkinSet& skins) {
    const HWND popup = popup_.Hwnd();
    // The images come at the popup's DPI, and the rows' sizes with them. A control whose
    // strip does not decode stays as the template made it, unskinned. (Braced lists are
    // evaluated in order.)
    const bool skinned[] = {
        schemeList_.Init(IDC_SCHEME_LIST, popup, skins.Load("slist.png"), kListRows),
        actionList_.Init(IDC_ACTION_LIST, popup, skins.Load("plist.png"), kActionRows),
        scrollUp_.Init(IDC_SCROLL_UP, popup, skins.Load("btnup.png"), CTPButton::kStates),
        scrollDown_.Init(IDC_SCROLL_DOWN, popup, skins.Load("btndown.png"), CTPButton::kStates)};
    if (const auto failed = std::count(std::begin(skinned), std::end(skinned), false)) {
        DebugTrace(true, L"CUIDlg::OnInitDialog", L"%d list or button strips cannot be decoded.\n",
                   static_cast<int>(failed));
    }

    SetTextStyles(skins.Scale());
    BuildActionList();
}

void SchemeLists::Rescale(const SkinSet& skins) {
    // A strip that does not decode leaves that control with the one it had.
    const bool skinned[] = {schemeList_.SetStrip(skins.Load("slist.png")),
                            actionList_.SetStrip(skins.Load("plist.png")),
                            scrollUp_.SetStrip(skins.Load("btnup.png")),
                            scrollDown_.SetStrip(skins.Load("btndown.png"))};
    if (const auto failed = std::count(std::begin(skinned), std::end(skinned), false)) {
        DebugTrace(true, L"CUIDlg::OnDpiChanged", L"%d list or button strips cannot be decoded.\n",
                   static_cast<int>(failed));
    }
    SetTextStyles(skins.Scale());
}

void SchemeLists::SetTextStyles(const SkinScale& scale) {
    // 9 pt at the popup's DPI, in pixels: a DC's own DPI may be the system's, not the popup's.
    UniqueGpFont font = MakeFont(L"Segoe UI", scale.FontPixels(kListFontPoints),
                                 Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    UniqueGpStringFormat format = MakeStringFormat();
    schemeList_.SetTextStyle(font.Get(), format.Get(), ScaledRect(scale, kSchemeTextPlace));
    actionList_.SetTextStyle(font.Get(), format.Get(), ScaledRect(scale, kActionTextPlace));
}

void SchemeLists::EnumerateSchemes(std::vector<GUID>& schemes) const {
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

void SchemeLists::RefreshSchemeList() {
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
    // The system allocated the active scheme's GUID for us; owned at once, so that a throw
    // while the names are read does not leak it.
    framework::UniqueLocal activeBlock(active);
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
    activeBlock.Reset();

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

void SchemeLists::UpdateScrollButtons() {
    const ListModel& schemes = schemeList_.Model();
    if (HWND up = popup_.Item(IDC_SCROLL_UP)) {
        ::ShowWindow(up, schemes.CanScrollUp() ? SW_SHOW : SW_HIDE);
    }
    if (HWND down = popup_.Item(IDC_SCROLL_DOWN)) {
        ::ShowWindow(down, schemes.CanScrollDown() ? SW_SHOW : SW_HIDE);
    }
}

void SchemeLists::Scroll(bool up) {
    ListModel& schemes = schemeList_.Model();
    if (up ? schemes.ScrollUp() : schemes.ScrollDown()) {
        schemeList_.Repaint();
    }
    UpdateScrollButtons();
}

void SchemeLists::BuildActionList() {
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

void SchemeLists::OnClicked(int id) {
    CAdvListCtrl& list = id == IDC_SCHEME_LIST ? schemeList_ : actionList_;
    if (currentList_.list != &list) {
        return;
    }
    popup_.Send(WM_COMMAND, IDOK);
    if (&list == &schemeList_) {
        UpdateScrollButtons();
    }
}

void SchemeLists::HoverSchemes() {
    schemeList_.Send(WM_MOUSEHOVER, 0, 0);
}

bool SchemeLists::Navigate(UINT virtualKey) {
    if (virtualKey != VK_UP && virtualKey != VK_DOWN) {
        return false;
    }
    CAdvListCtrl* current = currentList_.list;
    if (current != &schemeList_ && current != &actionList_) {
        return false;
    }
    CAdvListCtrl& other = current == &schemeList_ ? actionList_ : schemeList_;
    NavigationMove move;
    const NavigationKey key = virtualKey == VK_UP ? NavigationKey::Up : NavigationKey::Down;
    if (!switcher::Navigate(key, current->Model(), other.Model(), move)) {
        return false;
    }
    if (move.toOtherList) {
        // As a hover on its top row would: the other list becomes the current one.
        other.Send(WM_MOUSEHOVER, 0, 0);
        other.HighlightVisibleRow(move.relative);
    } else {
        current->HighlightVisibleRow(move.relative);
    }
    return true;
}

void SchemeLists::ActivateScheme() {
    if (currentList_.list != &schemeList_) {
        return;
    }
    const int row = schemeList_.GetSelection();
    if (row < 0 || static_cast<std::size_t>(row) >= schemes_.size()) {
        return;
    }
    // A refused change still moves the mark; the next notification rebuilds the list.
    ::PowerSetActiveScheme(nullptr, &schemes_[static_cast<std::size_t>(row)]);
    schemeList_.SetActiveMark(row);
}

void SchemeLists::RunAction(int row) const {
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
