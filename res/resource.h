#pragma once
// Resource and control identifiers, shared by the resource script and the code.
#define IDD_MAIN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_START_WITH_WINDOWS 1001
// One row per hotkey action, in the order dock, undock, menu: the hotkey
// control, its "Win" check box and the line that says it is in use.
#define IDC_HOTKEY_DOCK 1002
#define IDC_HOTKEY_UNDOCK 1003
#define IDC_HOTKEY_MENU 1004
#define IDC_HOTKEY_WIN_DOCK 1005
#define IDC_HOTKEY_WIN_UNDOCK 1006
#define IDC_HOTKEY_WIN_MENU 1007
#define IDC_HOTKEY_STATE_DOCK 1008
#define IDC_HOTKEY_STATE_UNDOCK 1009
#define IDC_HOTKEY_STATE_MENU 1010
// The rules: their list in the main dialog, its buttons, and the dialog
// that edits one.
#define IDC_RULES_LIST 1011
#define IDC_RULE_ADD 1012
#define IDC_RULE_CHANGE 1013
#define IDC_RULE_REMOVE 1014
#define IDD_RULE 103
#define IDC_RULE_PROGRAM 1020
#define IDC_RULE_TITLE 1021
#define IDC_RULE_CLASS 1022
#define IDC_RULE_OPENS 1023
#define IDC_RULE_MINIMIZED 1024
#define IDC_STATIC (-1)
