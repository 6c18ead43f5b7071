// Resource ids of the tray program, shared by its resource scripts and its code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Frame resources: title string, class icon and the command menu.
#define IDR_MAINFRAME 128
#define IDI_READ_ONLY 143

#define IDD_ABOUTBOX 100
#define IDC_VERSION_TEXT 1000

#define IDD_BATTERY_LEARNING 143
#define IDC_LEARNING_ICON 1002
#define IDC_LEARNING_NEVER 1003
#define IDC_LEARNING_YES 1004
#define IDC_LEARNING_NO 1005
#define IDC_LEARNING_LATER 1006

#define IDS_ON_AC_POWER 136
#define IDS_ON_BATTERY_POWER 137
#define IDS_TIP_MODE 138
#define IDS_TIP_READ_ONLY 139
#define IDS_POWER_OPTIONS_ME 145
#define IDS_POWER_OPTIONS 146
#define IDS_RECONDITION_PROCEDURE 147
#define IDS_RECONDITION_TITLE 148

#define ID_ADJUST_PROPERTIES_CMD 139
#define ID_APP_ABOUT_CMD 57664
