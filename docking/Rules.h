#pragma once
#include "docking/RuleEngine.h"
#include "docking/RuleStore.h"

class CDocker;

// The rules at work for one docker: its store, what they remember of each
// window, and the two ways windows are seen. On Windows a WinEvent hook
// (out of context: nothing is placed in other processes) reports windows
// created, shown, renamed and minimized as it happens; the docker's
// one-second sweep looks at every window as well, and is enough alone where
// the system reports less (Wine reports creation only). Either way a window
// is docked through the docker exactly as choosing its row would dock it.
//
// With no rules the sweep does nothing here, and the hook is set only while
// there are rules or docked windows.
class CRules {
public:
    explicit CRules(CDocker& docker) : m_docker(docker) {}
    ~CRules() { Stop(); }
    CRules(const CRules&) = delete;
    CRules& operator=(const CRules&) = delete;

    // Reads the rules and looks at every window there: each counts as
    // opening now. From then on the hook and the sweep do their work.
    void Start();
    void Stop();
    // Reads the rules under another key (tests use one of their own), as a
    // change made in Traylet.
    void UseKey(LPCWSTR pszKey);

    const CRuleStore& Store() const { return m_store; }
    // Changes made in Traylet: written, read back, and in force at once for
    // windows that open or are minimized from then on. Windows open at the
    // moment of the change have opened already (a window still within its
    // first seconds keeps its chance where a rule named its program before).
    bool Add(const Rule& rule);
    bool Replace(int i, const Rule& rule);
    bool Remove(int i);

    // A docked window's rows. IsSet: a rule that names the window (of the
    // process dwPid, with its title and class now) has the trigger. Toggle:
    // when set, every such rule gives the trigger up (one left with none
    // goes); else the rule for the whole program gains it, made if there is
    // none. False when nothing changed.
    bool IsSet(HWND hWnd, DWORD dwPid, DWORD dwTrigger) const;
    bool Toggle(HWND hWnd, DWORD dwPid, DWORD dwTrigger);

    // The sweep's look at every window, once a second.
    void Sweep();
    // Every dock, whoever asked for it.
    void OnDocked(HWND hWnd);
    // What the hook reports, as it reports it (tests call it directly).
    void OnWinEvent(DWORD dwEvent, HWND hWnd, LONG idObject, LONG idChild, DWORD dwTime);

    // For the tests and the benchmark: windows remembered, hook set.
    int Remembered() const { return m_memory.Count(); }
    bool Hooked() const { return m_hooks[0] || m_hooks[1] || m_hooks[2]; }

private:
    bool Active() const { return m_bStarted && m_store.Count() > 0; }
    void Changed();
    void UpdateHook();
    void Handle(DWORD dwEvent, HWND hWnd, DWORD dwTime);
    void Drain();
    void Look(HWND hWnd, DWORD dwNow, bool bMinimizing);
    bool WorkOutTriggers(WindowMemory& m) const;
    bool Acts(HWND hWnd, DWORD dwPid, DWORD dwTriggers, int* pnRule = nullptr, LPCWSTR pszTitle = nullptr) const;
    void DockChosen();
    static BOOL CALLBACK Collect(HWND hWnd, LPARAM lParam);
    static BOOL CALLBACK MarkExisting(HWND hWnd, LPARAM lParam);

    // Docking waits for the window to minimize, and what the wait lets in
    // (an event, a menu from the shell) must not run a look inside a look.
    struct Busy {
        explicit Busy(CRules& rules) : r(rules) { ++r.m_nBusy; }
        ~Busy() { --r.m_nBusy; }
        CRules& r;
    };
    struct Queued {
        DWORD dwEvent;
        HWND hWnd;
        DWORD dwTime;
    };

    CDocker& m_docker;
    CRuleStore m_store;
    CWindowMemories m_memory;
    DWORD m_dwVersion = 1;       // of the rules read last
    bool m_bStarted = false;
    bool m_bMaintained = false;  // the memory followed every window's program's rules so far
    bool m_bWalkWhole = true;
    int m_nBusy = 0;
    HWINEVENTHOOK m_hooks[3] = {};
    CTypedPtrArray<HWND__> m_walk;     // the sweep's windows
    CTypedPtrArray<HWND__> m_chosen;   // to dock once the looks are over
    static constexpr int kMaxQueued = 32;
    Queued m_queue[kMaxQueued];
    int m_nQueued = 0;
};
