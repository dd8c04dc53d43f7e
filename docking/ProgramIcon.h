#pragma once
#include <windows.h>

// The icon of the program a window belongs to, for windows that offer none of
// their own (a window of another process may answer no icon query, and its
// class icons may read as 0). Looked up from the program's file, once per
// program: the icons are kept for the life of the process, since docked
// windows' tray icons and open menus borrow them.

// Where the image path of a process comes from; tests point it at a failure.
extern BOOL(WINAPI* g_pfnQueryFullProcessImageNameW)(HANDLE hProcess, DWORD dwFlags, LPWSTR pszPath, PDWORD pcch);

// The small icon of the program process pid runs, or null when its path or
// its icon cannot be had (or pid is 0).
HICON GetProgramIcon(DWORD pid);

// Between these two (one catalogue), the windows of the process asked about
// last are answered from memory: windows of one program come in runs. Outside
// them nothing is remembered by process id, which names another program once
// its process has ended.
void BeginProgramIconRun();
void EndProgramIconRun();
