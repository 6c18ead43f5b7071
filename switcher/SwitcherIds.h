// Resource ids, private messages and timers of the popup switcher. Plain macros: the resource
// scripts include this file too.
#pragma once

// Dialog template of the popup, and its controls.
#define IDD_SWITCHER 110
#define IDC_BATTERY_IMAGE 1101
#define IDC_SCHEME_LIST 1102
#define IDC_ACTION_LIST 1103
#define IDC_SCROLL_UP 1104
#define IDC_SCROLL_DOWN 1105

// Icons: the notification-area icons for a good, a worn and a damaged battery, and the program's.
#define IDI_BATTERY_GOOD 101
#define IDI_BATTERY_WORN 102
#define IDI_BATTERY_DAMAGED 103
#define IDI_SWITCHER 110

// String table. 110, 1102 and 1103 are kept for the translators and not loaded by the program.
#define IDS_SWITCHER_INFO 110
#define IDS_PRODUCT 1000
#define IDS_POWER_ACTIONS 1003
#define IDS_BATTERY_TEXTS 1004
#define IDS_MAKER_PAGE 1005
#define IDS_SCHEME_LIST_HINT 1102
#define IDS_ACTION_LIST_HINT 1103

// The skin archive: resource type "tar", id 100.
#define IDR_SKIN 100

// Private messages, above WM_USER (0x0400).
#define WM_SWITCHER_CLOSE 0x0464
#define WM_SWITCHER_TRAY 0x0465
#define WM_ADVLIST_DEACTIVATE 0x04C8
// Posted to itself at creation: the rest of the start, once the loop runs.
#define WM_SWITCHER_FINISH_START 0x0466
// Posted by the keyboard hook: the profile key or the battery key (HookKey in wParam).
#define WM_SWITCHER_HOOK_KEY 0x0467

// Timers of the popup dialog.
#define TIMER_POPUP 110
#define TIMER_REHOOK 111
