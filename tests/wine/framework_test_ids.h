// Resource ids of the framework's Wine tests.
#pragma once

#define IDD_FW_MODELESS 300
#define IDC_FW_OWNERDRAW 301
#define IDC_FW_BUTTON 302
#define IDC_FW_LIST 303
#define IDD_FW_CLASSED 305
#define IDD_FW_MODAL 310
#define IDD_FW_HOST 320
#define IDC_FW_TABS 321
#define IDD_FW_PAGE 330
#define IDC_FW_PAGE_BUTTON 331
#define IDR_FW_MENU 340
#define IDM_FW_FIRST 341
#define IDM_FW_SECOND 342
#define IDM_FW_NESTED 343
#define IDM_FW_LEFT_ALONE 344
