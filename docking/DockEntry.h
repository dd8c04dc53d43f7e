#pragma once
#include <windows.h>

class CTrayIcon;

// One top-level window known to the program: catalogued (no tray icon, flags
// 0) or docked (owns its tray icon). Zero-filled when allocated.
struct DockEntry {
    WCHAR szTitle[100];   // at most 98 UTF-16 code units, never half a pair
    HWND hWnd;
    CTrayIcon* pTrayIcon;
    BOOL bWasIconic;
    BOOL bWasZoomed;
    HICON hIcon;
    DWORD dwProcessId;   // the window's process, read when it is docked
    BOOL bHidePending;   // its hide waits in its queue: it may be seen visible until it pumps
};

// The icon shown for a window; never null.
HICON GetWindowIcon(HWND hWnd);

// EnumWindows callback; lParam is the CDocker whose catalogue is filled.
BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam);
