#pragma once
#include <windows.h>

// The one setting: whether the program starts when the user logs on, kept
// as the value "Traylet2" under the per-user Run key: the program's path in
// double quotes, a REG_SZ with its NUL. The controller dialog's check box
// shows it and changes it; these functions are all it knows of the value.

// Where the program learns its own path. It is GetModuleFileNameW; tests
// point it at paths they choose (long ones, odd characters) that no real
// module has.
extern DWORD(WINAPI* g_pfnGetModuleFileNameW)(HMODULE hModule, LPWSTR pszPath, DWORD nSize);

// The text the value holds for this program: its path in double quotes, with
// the NUL. UTF-16, as the registry keeps every string: a path in any script
// is stored as it is.
struct RunText {
    WCHAR sz[MAX_PATH + 2];
};

// The program's own text. False when its path cannot be had whole (it does
// not fit MAX_PATH): a cut path would name some other file.
bool OwnRunText(RunText& text);

// Whether data read from the value (any bytes, of any size, as another
// program may have stored them) is the text pszText as far as its NUL, with
// ASCII letters compared without regard to case. Nothing past cbData is
// read, and data that ends before its NUL is no text.
bool MatchesRunText(const BYTE* pData, DWORD cbData, LPCWSTR pszText);

// Whether the value names this program now. Reads only.
bool IsStartWithWindowsOn();

// Stores this program's text (bOn) or deletes the value. The Run key is
// never created. FALSE when nothing was changed: no key, no whole path to
// store, no value to delete, or the system refused.
BOOL SetStartWithWindows(bool bOn);
