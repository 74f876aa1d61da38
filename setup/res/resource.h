// Resource and control ids of the setup program.
#pragma once

// Icons and pictures
#define IDR_MAINFRAME 128      // application icon, 16 and 32 pixels
#define IDI_UPDATE_NOTICE 141  // icon of the update-deferral dialog, 24 and 48 pixels
#define IDB_BANNER 133         // left banner of the wizard, 164 x 314, 16 colours

// Package resources (type "EZP")
#define IDR_EZP_SETUPDIR_INDEX 129
#define IDR_EZP_SETUPDIR_STORE 130
#define IDR_EZP_WINDIR_INDEX 131
#define IDR_EZP_WINDIR_STORE 132

// Dialog templates
#define IDD_VANTORSETUP_DIALOG 102
#define IDD_NOTE 133
#define IDD_AUTOCLOSE 138
#define IDD_EXCUSEME 139

// Wizard controls
#define IDC_INSTALL 1001
#define IDC_CANCEL_FINISH 1002
#define IDC_NOTICE 1003
#define IDC_TITLE 1004
#define IDC_BANNER 1005
#define IDC_BANNER_FRAME 1006
#define IDC_PROGRESS 1007
#define IDC_STATUS 1009
#define IDC_RUN_CLIENT 1011
#define IDC_DESKTOP_SHORTCUT 1012
#define IDC_NOTE_RED 1013

// Notice window
#define IDC_NOTE_TEXT 1010

// Close-running-programs dialog
#define IDC_AUTO_CLOSE 1001
#define IDC_PROGRAM_LIST 1017

// Update-deferral dialog
#define IDC_MINUTES 1003

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif
