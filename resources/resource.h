// Resource ids of the main window, its about box and its texts
// (TavoInstaller.rc). The control ids are those of views/main_view.h.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_VORLININSTALLER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDP_CLOSE 135
#define IDP_MINIMIZE 137
#define IDP_ERROR_PICTURE 138

#define IDC_BUTTON_MINI 1000
#define IDC_BUTTON_EXIT 1001
#define IDC_PROGRESS 1002
#define IDC_STATIC_STATUS 1003
#define IDC_STATIC_ERROR 1006
#define IDC_BUTTON_HELP 1007
#define IDC_BUTTON_CLOSE 1008
#define IDC_BUTTON_ERROR_PICTURE 1009

// Static controls the program never addresses.
#define IDC_STATIC -1

// The system menu's about item.
#define IDM_ABOUTBOX 0x0010
