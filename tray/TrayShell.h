#pragma once
#include <windows.h>

#include <shellapi.h>

// The shell and system calls whose effects cannot be observed from inside
// the process (what the shell was handed, whether a zoom was drawn) or that
// the test desktop cannot answer as a real one would (a taskbar with a
// notification area and a clock, the animation setting). Each points at the
// system function; tests point them at recorders and restore them.
struct TrayShell {
    BOOL (WINAPI* pfnNotifyIcon)(DWORD dwMessage, PNOTIFYICONDATAA pData);
    BOOL (WINAPI* pfnSystemParametersInfo)(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);
    BOOL (WINAPI* pfnDrawAnimatedRects)(HWND hwnd, int idAni, const RECT* lprcFrom, const RECT* lprcTo);
    UINT_PTR (WINAPI* pfnAppBarMessage)(DWORD dwMessage, PAPPBARDATA pData);
    HWND (WINAPI* pfnFindWindow)(LPCSTR lpClassName, LPCSTR lpWindowName);
};

extern TrayShell g_trayShell;
