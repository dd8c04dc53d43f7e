#pragma once
#include <windows.h>

// Where the Run value check and the check box handler learn the program's
// own path. It is GetModuleFileNameW; tests point it at paths they choose
// (long ones, odd characters) that no real module has.
extern DWORD(WINAPI* g_pfnGetModuleFileNameW)(HMODULE hModule, LPWSTR pszPath, DWORD nSize);
