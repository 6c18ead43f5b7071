// The main dialog's pages in tab order, with their tab texts and the item data of their tabs,
// and the look every page shares.
#pragma once

#include <windows.h>

#include "applet/res/resource.h"

namespace applet {

struct PageEntry {
    UINT tabText;
    UINT templateId;
    LPARAM itemData;
};

inline constexpr PageEntry kPages[] = {
    {IDS_TAB_MODES, IDD_MODES_PAGE, 1},
    {IDS_TAB_ALARM, IDD_ALARM_PAGE, 2},
    {IDS_TAB_ADVANCED, IDD_ADVANCED_PAGE, 3},
    {IDS_TAB_METER, IDD_BATTERY_PAGE, 4},
};

// A page inside a tab control takes the tab's themed background where visual styles are on.
void UseTabBackground(HWND page);

} // namespace applet
