#pragma once
#include "framework/Handle.h"

// The running copy is found by its dialog: this class and this caption.
constexpr char kRunningClass[] = "#32770";
constexpr char kRunningCaption[] = "Traylet";

// The one copy of the program in a session. The window search alone lets two
// copies started at the same moment both run: each looks before the other
// has made its dialog. So every copy, 32-bit or 64-bit alike, first asks the
// system for one named mutex, before it makes anything. The copy that holds
// it runs; one that finds it held waits for the holder's dialog and hands
// off to it, or takes the mutex over when the holder ends first.
class CSingleInstance {
public:
    CSingleInstance() = default;
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // TRUE: this copy is the one that runs, and holds the mutex until this
    // object goes. FALSE: the running copy's window (or another program's
    // dialog of the same class and caption) is in *phWnd, or null when
    // none came within the wait.
    BOOL Claim(LPCWSTR pszMutexName, LPCSTR pszClass, LPCSTR pszCaption, DWORD dwWaitMs, HWND* phWnd);

private:
    CHandle m_mutex;
    bool m_bOwned = false;   // released before the handle closes
};
