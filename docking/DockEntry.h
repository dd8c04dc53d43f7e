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
    BOOL bIconRecalled;   // hIcon is what its window showed last time, not asked since
    DWORD dwProcessId;   // the window's process, read when it is docked
    BOOL bHidePending;   // its hide waits in its queue: it may be seen visible until it pumps
};

// A docked window stays docked while it exists and is still hidden, or is
// still to be hidden (its hide waits in its queue: it did not answer in
// time); one that its program destroyed or showed again is the sweep's to
// drop, and no longer Traylet's to touch.
inline bool IsStillDocked(const DockEntry& entry)
{
    return IsWindow(entry.hWnd) && (entry.bHidePending || !IsWindowVisible(entry.hWnd));
}

// A catalogue entry for a listed window, its title as read when it was
// admitted; null when out of memory (the caller leaves the window out).
DockEntry* NewDockEntry(HWND hWnd, LPCWSTR pszTitle);

// The icon shown for a window; never null.
HICON GetWindowIcon(HWND hWnd);

// A window's title as the menu shows it and its icon's tooltip starts from:
// cut to 98 UTF-16 code units, never half a pair.
void GetWindowTitle(HWND hWnd, WCHAR (&szTitle)[100]);

// EnumWindows callback; lParam is the CDocker whose catalogue is filled.
BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam);
