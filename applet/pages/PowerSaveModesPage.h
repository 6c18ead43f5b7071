// The Power Save Modes page: the user's modes for AC power and for battery power in two
// lists whose checked rows are the modes in force. Copies, renames and deletions stay in the
// page until the main dialog's Apply or OK calls Save.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "applet/controls/SchemeListCtrl.h"
#include "framework/Dialog.h"
#include "framework/UniqueHandle.h"
#include "store/GlobalPowerSettings.h"
#include "store/SchemeStore.h"

namespace applet {

class PowerSaveModesPage : public framework::Dialog {
public:
    PowerSaveModesPage();
    ~PowerSaveModesPage() override;

    void SetSettings(store::GlobalPowerSettings* settings) { settings_ = settings; }
    void SetHibernate(bool enabled) { hibernateEnabled_ = enabled; }
    void Save();

    // The list of one kind, the modes and the edit state (tests look at them).
    SchemeListCtrl& List(bool ac) { return ac ? acList_ : batteryList_; }
    const ModeList& Modes() const { return modes_; }
    int LastId() const { return lastId_; }
    int DeletedId() const { return deletedId_; }

    void CopySelected(bool ac);
    void DeleteSelected(bool ac);
    void Undo(bool ac);
    void ShowDetails(bool ac);

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnHelp(const HELPINFO& help) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Buttons {
        int copy;
        int remove;
        int undo;
        int details;
    };
    static const Buttons& ButtonsOf(bool ac);

    void CountDefaults();
    void LoadModes();
    // Appends the mode's icon (or replaces image `replace`); icon 128 when it has none and
    // `fallBack`. The image's index, or -1 without an icon.
    int AddImage(const store::SchemeStore& mode, bool fallBack, int replace = -1);
    void FillList(bool ac);
    std::uint32_t& Current(bool ac);
    store::SchemeStore* FindMode(int id) const;

    store::GlobalPowerSettings* settings_ = nullptr;
    bool hibernateEnabled_ = false;
    framework::UniqueHandle<framework::NullHandleTraits<HIMAGELIST, ::ImageList_Destroy>> images_;
    ModeList modes_;
    SchemeListCtrl acList_;
    SchemeListCtrl batteryList_;
    int lastId_ = -1;
    int deletedId_ = -1;
    int checkedBeforeDelete_ = -1;
    int acDefaults_ = 0;
    int batteryDefaults_ = 0;
};

} // namespace applet
