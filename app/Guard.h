#pragma once
#include "framework/Handle.h"

// The guard: a second copy of the program, started by the main process with
// "/guard PID CREATED" on its command line, that waits for the main process
// to end, however it ends, and then brings back every window the main
// process's record still names. A clean exit has already brought them back
// and deleted the record, so after one the guard finds nothing and just
// ends. It makes no window, so it never counts as a running copy.

// Posted to the window given to CGuard::Watch when the guard process ends.
constexpr UINT WM_GUARD_ENDED = WM_APP + 1;

enum class GuardArgs {
    None,        // not a guard's command line: a normal start
    Valid,       // a guard's, read into the process id and creation time
    Malformed,   // begins as a guard's but is not exactly one: do nothing
};

// Reads the arguments after the program's name. A guard's are "/guard", the
// main process's id in decimal and its creation time in 16 hex digits, one
// space apart, and nothing else.
GuardArgs ParseGuardArgs(LPCSTR pszArgs, DWORD* pdwPid, ULONGLONG* pullCreated);

// The guard process's whole life: waits for the main process, given by its
// id and creation time, to end, then restores its record. Its exit code.
int RunGuard(DWORD dwPid, ULONGLONG ullCreated);

// The main process's side: starts the guard, and starts a new one whenever
// the guard ends while the main process runs. Destroying the object stops
// watching; the guard itself ends with the main process.
class CGuard {
public:
    CGuard() = default;
    ~CGuard();
    CGuard(const CGuard&) = delete;
    CGuard& operator=(const CGuard&) = delete;

    // Starts a guard for this process. FALSE when none could be started.
    BOOL Start();
    // From now on WM_GUARD_ENDED is posted to hWnd when the guard ends.
    void Watch(HWND hWnd);
    // On WM_GUARD_ENDED (which any program could post): if the guard has
    // really ended, a new one is started, unless the one that ended was
    // started less than a second ago; Tick then starts it.
    void OnEnded();
    // Every second: starts a guard if none runs.
    void Tick();

private:
    void WatchProcess();
    void Release();
    static void CALLBACK Ended(void* pContext, BOOLEAN bTimedOut);

    CHandle m_process;
    // Not a handle to close: UnregisterWaitEx ends it (Release).
    HANDLE m_hWait = nullptr;
    HWND m_hWndNotify = nullptr;
    DWORD m_dwStartTick = 0;
};
