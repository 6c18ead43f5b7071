// Resource and control numbers of the applet. The numbers are the applet's published ones;
// several dialogs reuse a control number, so each control's name carries its dialog's prefix.
#pragma once

// Icons.
#define IDI_APPLET 128
#define IDI_ABOUT 1015
#define IDI_BATTERY 158
#define IDI_AC_POWER 166
#define IDI_NO_BATTERY 1006

// The applet's item: icon 128 and string 128 ("name\ninfo\nhelp file").
#define IDS_APPLET_ITEM 128

// Dialogs.
#define IDD_PMDLG 102
#define IDD_ABOUT 1031
#define IDD_ALARM_PAGE 179
#define IDD_ALARM_ACTION 180
#define IDD_BATTERY_PAGE 181
#define IDD_ADVANCED_PAGE 184
#define IDD_BATTERY_DETAILS 1038

// The applet's manifest, at the number the Control Panel reads for applets.
#define IDR_APPLET_MANIFEST 123

// Main dialog.
#define IDC_PM_APPLY 104
#define IDC_PM_GAUGE 1003
#define IDC_PM_PAGE_FRAME 1008
#define IDC_PM_TABS 1012
#define IDC_PM_ABOUT 1014

// About dialog.
#define IDC_ABOUT_VERSION 1142

// Alarm page.
#define IDC_ALARM_LOW_ON 1033
#define IDC_ALARM_CRITICAL_ON 1035
#define IDC_ALARM_CRITICAL_SLIDER 1036
#define IDC_ALARM_LOW_ACTION 1037
#define IDC_ALARM_CRITICAL_ACTION 1038
#define IDC_ALARM_LOW_NOTIFY_TEXT 1039
#define IDC_ALARM_LOW_ACTION_TEXT 1040
#define IDC_ALARM_CRITICAL_NOTIFY_TEXT 1041
#define IDC_ALARM_CRITICAL_ACTION_TEXT 1042
#define IDC_ALARM_LOW_LABEL 1043
#define IDC_ALARM_CRITICAL_LABEL 1044
#define IDC_ALARM_LOW_SLIDER 1203

// Alarm action dialog.
#define IDC_ACTION_SOUND 1045
#define IDC_ACTION_MESSAGE 1046
#define IDC_ACTION_ENABLE 1047
#define IDC_ACTION_COMBO 1048
#define IDC_ACTION_FORCE 1124

// Advanced page.
#define IDC_ADV_TRAY_ICON 1098
#define IDC_ADV_PASSWORD 1099
#define IDC_ADV_POWER_BUTTON 1102
#define IDC_ADV_LID 1103
#define IDC_ADV_HIBERNATE 1106
#define IDC_ADV_LID_TEXT 1107
#define IDC_ADV_AUTO_RESUME 1108
#define IDC_ADV_COOLING 1129
#define IDC_ADV_COOLING_GROUP 1132
#define IDC_ADV_SLEEP_TEXT 1148
#define IDC_ADV_SLEEP_BUTTON 1207

// Battery Power Meter page.
#define IDC_METER_SOURCE_ICON 1110
#define IDC_METER_SOURCE_TEXT 1111
#define IDC_METER_BUTTON1 1119
#define IDC_METER_BUTTON2 1120
#define IDC_METER_BAR1 1121
#define IDC_METER_BAR2 1122
#define IDC_METER_LABEL2 1130

// Battery details dialog.
#define IDC_DETAILS_NAME 1001
#define IDC_DETAILS_UNIQUE_ID 1002
#define IDC_DETAILS_CHEMISTRY 1003
#define IDC_DETAILS_STATE 1004
#define IDC_DETAILS_REFRESH 1005

// Strings.
#define IDS_ACTION_LIST 107
#define IDS_TAB_MODES 108
#define IDS_TAB_ALARM 110
#define IDS_TAB_ADVANCED 111
#define IDS_NOTIFY_SOUND 113
#define IDS_NOTIFY_TEXT 114
#define IDS_NO_ACTION 115
#define IDS_TAB_METER 129
#define IDS_ABOUT_TIP 132
#define IDS_GAUGE_FORMAT 133
#define IDS_AC_POWER 136
#define IDS_BATTERY_POWER 137
#define IDS_DETAILS_CAPTION1 138
#define IDS_DETAILS_CAPTION2 139
#define IDS_STATE_ON_LINE 140
#define IDS_STATE_DISCHARGING 141
#define IDS_STATE_CHARGING 142
#define IDS_STATE_CRITICAL 144
#define IDS_NOT_PRESENT 145
#define IDS_ADMIN_RIGHTS 146
#define IDS_COOLING_LIST 147
#define IDS_FREE_DISK_SPACE 1204
