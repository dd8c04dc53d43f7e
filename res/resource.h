#pragma once
// Resource and control identifiers, shared by the resource script and the code.
#define IDD_MAIN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_START_WITH_WINDOWS 1001
#define IDC_STATIC (-1)
