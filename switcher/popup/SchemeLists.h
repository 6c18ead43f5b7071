// The popup's two lists: the operating system's power schemes, with the active one marked and
// two buttons that scroll them, and the power actions (Sleep, Restart, Shut Down) the machine
// offers. The arrow keys move the highlight across both; a hover makes a list the current one,
// whose highlighted row Enter or a click activates.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Dialog.h"
#include "switcher/controls/CAdvListCtrl.h"
#include "switcher/controls/CTPButton.h"
#include "switcher/controls/SkinSet.h"
#include "switcher/logic/PowerActions.h"

namespace switcher {

class SchemeLists {
public:
    // The lists and buttons are items of `popup`, which gets IDOK when a list is clicked.
    explicit SchemeLists(framework::Dialog& popup);

    SchemeLists(const SchemeLists&) = delete;
    SchemeLists& operator=(const SchemeLists&) = delete;

    // Takes the items over with their skin images and text styles and fills the action list.
    void Create(const SkinSet& skins);
    // The strips and fonts again at the DPI of `skins`.
    void Rescale(const SkinSet& skins);

    // Reads the schemes and the active one again; the highlight keeps its place.
    void RefreshSchemeList();
    void Scroll(bool up);
    // A list item (IDC_SCHEME_LIST or IDC_ACTION_LIST) was clicked.
    void OnClicked(int id);
    // As a hover on its top row would: the scheme list becomes the current one.
    void HoverSchemes();
    // VK_UP or VK_DOWN; false for any other key, or when no list is current.
    bool Navigate(UINT virtualKey);

    bool ActionsCurrent() const { return currentList_.list == &actionList_; }
    // Makes the highlighted scheme the active one, when the scheme list is current.
    void ActivateScheme();
    int ActionSelection() const { return actionList_.GetSelection(); }
    // Sleeps, restarts or shuts down as row `row` of the action list says; nothing for no row.
    void RunAction(int row) const;

private:
    void EnumerateSchemes(std::vector<GUID>& schemes) const;
    void BuildActionList();
    void SetTextStyles(const SkinScale& scale);
    void UpdateScrollButtons();

    framework::Dialog& popup_;
    CurrentList currentList_;
    CAdvListCtrl schemeList_;
    CAdvListCtrl actionList_;
    CTPButton scrollUp_;
    CTPButton scrollDown_;
    std::vector<GUID> schemes_;
    std::vector<PowerAction> actionCodes_;
};

} // namespace switcher
