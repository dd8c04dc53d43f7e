#pragma once
#include "framework/Handle.h"

// A program the command line's /run starts, and the first of its windows
// that the main menu would list: a window of the started process or, for a
// launcher that hands over to another process and ends, of a process of the
// same program file that started after it. A window of that program that was
// open before is not it. The watch never waits itself: its owner asks Find
// as often as it likes (a loop that sleeps, or a timer) until it answers a
// window or the time given is over.
class CRunWatch {
public:
    CRunWatch() = default;
    CRunWatch(const CRunWatch&) = delete;
    CRunWatch& operator=(const CRunWatch&) = delete;

    // Starts the program: pszCommandLine as CreateProcess takes it, the
    // program first. FALSE when it could not be started (the reason in
    // GetLastError); otherwise the watch lasts dwWaitSeconds.
    BOOL Start(LPCWSTR pszCommandLine, DWORD dwWaitSeconds);
    // The window, the first time it is listed (by the main menu of the
    // Traylet whose dialog is hWndTraylet); the watch ends then. Null before,
    // and once the watch is over.
    HWND Find(HWND hWndTraylet);
    // Started, nothing found yet, and time left.
    bool Watching() const;
    void Stop() { m_bWatching = false; }

private:
    bool IsOfTheProgram(DWORD pid) const;
    static BOOL CALLBACK FindProc(HWND hWnd, LPARAM lParam);

    // Held for the watch: the started process's id names no other process
    // meanwhile.
    CHandle m_process;
    DWORD m_dwPid = 0;
    ULONGLONG m_ullCreated = 0;
    WCHAR m_szPath[MAX_PATH] = L"";
    DWORD m_dwStart = 0;
    DWORD m_dwWaitMs = 0;
    bool m_bWatching = false;
};
