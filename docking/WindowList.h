#pragma once
#include <windows.h>

// What the command line's /list prints: every window the main menu of the
// running Traylet lists and every window it has docked, one line each,
// tab-separated:
//   HANDLE  listed|docked  normal|minimized|maximized  PROGRAM  TITLE
// The handle in hexadecimal ("0x" and the 32 bits every build's handles
// carry), as a "hwnd:" selector takes it; a docked window's state is the one
// it was docked in; the program file's full path, "-" when it cannot be
// read; the whole title. Tabs and line breaks in a field become spaces, so a
// line is always five fields.

struct WindowLine {
    HWND hWnd;
    bool bDocked;
    bool bIconic;
    bool bZoomed;
    LPCWSTR pszProgram;   // null: unknown
    LPCWSTR pszTitle;
};

// Room for any line: a handle, two words, a path, a title of up to 1023
// code units, four tabs and the CR LF.
constexpr int kMaxWindowLine = 1400;

// The line, ended by CR LF, into szLine.
void FormatWindowLine(const WindowLine& line, WCHAR (&szLine)[kMaxWindowLine]);

// Calls pfn with the line of each window: those the main menu of the Traylet
// whose dialog is hWndTraylet would list, in its order, then those its
// record names as docked, in the order they were docked. hWndTraylet null:
// no Traylet runs; the windows a menu would list.
void ListWindows(HWND hWndTraylet, void (*pfn)(LPCWSTR pszLine, void* pContext), void* pContext);
