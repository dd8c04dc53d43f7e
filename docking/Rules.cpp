#include "docking/Rules.h"

#include "docking/Docker.h"
#include "docking/Pattern.h"
#include "docking/ProgramFiles.h"

namespace {

// The hook reports to the one docker whose rules set it.
CRules* g_pHooked = nullptr;

void CALLBACK WinEventProc(HWINEVENTHOOK, DWORD dwEvent, HWND hWnd, LONG idObject, LONG idChild, DWORD,
                           DWORD dwTime)
{
    if (g_pHooked)
        g_pHooked->OnWinEvent(dwEvent, hWnd, idObject, idChild, dwTime);
}

// A window's title and class, each read when a rule first asks for it. The
// whole title counts, not the part a menu row shows; a title read whole
// already may be given.
class WindowNames {
public:
    explicit WindowNames(HWND hWnd, LPCWSTR pszTitle = nullptr) : m_hWnd(hWnd)
    {
        if (pszTitle) {
            lstrcpynW(m_szTitle, pszTitle, ARRAYSIZE(m_szTitle));
            m_bTitle = true;
        }
    }
    LPCWSTR Title()
    {
        if (!m_bTitle && !GetWindowTextW(m_hWnd, m_szTitle, ARRAYSIZE(m_szTitle)))
            m_szTitle[0] = L'\0';
        m_bTitle = true;
        return m_szTitle;
    }
    LPCWSTR Class()
    {
        if (!m_bClass && !GetClassNameW(m_hWnd, m_szClass, ARRAYSIZE(m_szClass)))
            m_szClass[0] = L'\0';
        m_bClass = true;
        return m_szClass;
    }

private:
    HWND m_hWnd;
    bool m_bTitle = false, m_bClass = false;
    WCHAR m_szTitle[1024];
    WCHAR m_szClass[256];
};

}  // namespace

void CRules::Start()
{
    m_bStarted = true;
    m_store.Load();
    ++m_dwVersion;
    m_memory.Clear();
    m_bMaintained = m_store.Count() > 0;
    // Every window there now is seen for the first time: those the rules
    // name for opening are docked as they stand.
    Sweep();
}

void CRules::Stop()
{
    m_bStarted = false;
    UpdateHook();
}

void CRules::UseKey(LPCWSTR pszKey)
{
    m_store.SetKey(pszKey);
    Changed();
}

void CRules::UpdateHook()
{
    // Renames of docked windows matter to their icons, rules or not.
    const bool bWanted = m_bStarted && (m_store.Count() > 0 || !m_docker.Docked().IsEmpty());
    if (bWanted == Hooked())
        return;
    if (bWanted) {
        // The events are looked at in this thread's message loop; the
        // range of each hook is kept to the events used, as others (the
        // pointer's moves among them) come in floods. A hook the system
        // refused leaves the sweep to see what it would have reported.
        static const DWORD kRanges[3][2] = {{EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW},
                                            {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
                                            {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZESTART}};
        for (int i = 0; i < 3; ++i)
            m_hooks[i] = SetWinEventHook(kRanges[i][0], kRanges[i][1], nullptr, WinEventProc, 0, 0,
                                         WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
        g_pHooked = this;
        return;
    }
    for (HWINEVENTHOOK& hook : m_hooks) {
        if (hook)
            UnhookWinEvent(hook);
        hook = nullptr;
    }
    if (g_pHooked == this)
        g_pHooked = nullptr;
}

void CRules::OnWinEvent(DWORD dwEvent, HWND hWnd, LONG idObject, LONG idChild, DWORD dwTime)
{
    // Events about a window's parts (its caret, its scroll bars) come with
    // other ids; child windows are told apart where it matters, below.
    if (!hWnd || idObject != OBJID_WINDOW || idChild != CHILDID_SELF)
        return;
    if (m_nBusy) {
        // A look is under way further up this thread's stack. Kept for when
        // it is over; should many come, the sweep sees what was dropped.
        if (m_nQueued < kMaxQueued)
            m_queue[m_nQueued++] = Queued{dwEvent, hWnd, dwTime};
        return;
    }
    Handle(dwEvent, hWnd, dwTime);
    Drain();
}

void CRules::Drain()
{
    while (m_nQueued > 0 && !m_nBusy) {
        const Queued q = m_queue[0];
        --m_nQueued;
        MoveMemory(m_queue, m_queue + 1, m_nQueued * sizeof m_queue[0]);
        Handle(q.dwEvent, q.hWnd, q.dwTime);
    }
}

void CRules::Handle(DWORD dwEvent, HWND hWnd, DWORD dwTime)
{
    switch (dwEvent) {
    case EVENT_OBJECT_CREATE:
    case EVENT_OBJECT_DESTROY:
        // A handle made or let go after its memory was made names another
        // window now. A memory made later (the sweep saw the new window
        // before the event came) is about the new one already.
        if (const WindowMemory* m = m_memory.Find(hWnd); m && static_cast<LONG>(dwTime - m->dwBorn) > 0)
            m_memory.Forget(hWnd);
        return;
    case EVENT_OBJECT_NAMECHANGE:
        // A docked window's icon shows its title as it is now, rules or not.
        m_docker.RefreshTitle(hWnd);
        [[fallthrough]];
    case EVENT_OBJECT_SHOW:
    case EVENT_SYSTEM_MINIMIZESTART:
        if (!Active() || GetAncestor(hWnd, GA_PARENT) != GetDesktopWindow())
            return;
        {
            Busy busy(*this);
            Look(hWnd, GetTickCount(), dwEvent == EVENT_SYSTEM_MINIMIZESTART);
            DockChosen();
        }
        return;
    default:
        return;
    }
}

void CRules::Sweep()
{
    UpdateHook();
    if (!Active() || m_nBusy)
        return;
    {
        Busy busy(*this);
        const DWORD now = GetTickCount();
        m_memory.BeginRound();
        m_walk.RemoveAll();
        m_bWalkWhole = true;
        // The walk only gathers: a look asks other windows things, and is
        // better not made inside the system's enumeration.
        g_pfnEnumWindows(Collect, reinterpret_cast<LPARAM>(this));
        for (int i = 0; i < m_walk.GetSize(); ++i)
            Look(m_walk[i], now, false);
        // Out of memory, a window may have been missed: its memory is kept,
        // or it would open a second time.
        if (m_bWalkWhole)
            m_memory.EndRound();
        DockChosen();
    }
    Drain();
}

BOOL CALLBACK CRules::Collect(HWND hWnd, LPARAM lParam)
{
    auto* self = reinterpret_cast<CRules*>(lParam);
    if (self->m_walk.Add(hWnd) < 0)
        self->m_bWalkWhole = false;
    return TRUE;
}

void CRules::Look(HWND hWnd, DWORD dwNow, bool bMinimizing)
{
    WindowMemory* m = m_memory.Find(hWnd);
    if (!m && !(m = m_memory.Add(hWnd, dwNow))) {
        m_bWalkWhole = false;
        return;
    }
    m->dwRound = m_memory.Round();
    if (m->dwVersion != m_dwVersion && !WorkOutTriggers(*m))
        return;
    // A window whose program no rule names costs nothing more, and neither
    // does one that has opened when only its opening mattered.
    if (!m->dwTriggers || Settled(*m))
        return;
    const auto style = static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE));
    WCHAR szTitle[100];
    const DWORD triggers = LookAt(*m, (style & WS_VISIBLE) != 0, bMinimizing || (style & WS_MINIMIZE) != 0, dwNow,
                                  [&] { return m_docker.IsListed(hWnd, szTitle); }) &
                           m->dwTriggers;
    // The listing read the title; well short of a row's cut, it is whole.
    if (triggers && Acts(hWnd, m->dwPid, triggers, nullptr, lstrlenW(szTitle) < 97 ? szTitle : nullptr) &&
        m_chosen.Add(hWnd) < 0)
        m->bOpening = false;   // no room to dock it: it is left as it is
}

bool CRules::WorkOutTriggers(WindowMemory& m) const
{
    if (!m.dwPid)
        GetWindowThreadProcessId(m.hWnd, &m.dwPid);
    // A process that cannot be read (yet) is asked again at the next look.
    LPCWSTR path = m.dwPid ? ProgramFiles().PathOf(m.dwPid) : nullptr;
    if (!path)
        return false;
    m.dwTriggers = 0;
    for (int i = 0; i < m_store.Count(); ++i)
        if (MatchProgram(m_store[i].szProgram, path))
            m.dwTriggers |= m_store[i].dwWhen;
    m.dwVersion = m_dwVersion;
    return true;
}

bool CRules::Acts(HWND hWnd, DWORD dwPid, DWORD dwTriggers, int* pnRule, LPCWSTR pszTitle) const
{
    LPCWSTR path = ProgramFiles().PathOf(dwPid);
    if (!path)
        return false;
    WindowNames names(hWnd, pszTitle);
    for (int i = 0; i < m_store.Count(); ++i) {
        const Rule& rule = m_store[i];
        if ((rule.dwWhen & dwTriggers) && MatchProgram(rule.szProgram, path) &&
            RuleMatches(rule, path, rule.szTitle[0] ? names.Title() : nullptr,
                        rule.szClass[0] ? names.Class() : nullptr)) {
            if (pnRule)
                *pnRule = i;
            return true;
        }
    }
    return false;
}

void CRules::DockChosen()
{
    // Each dock waits for its window to minimize; the list is this look's.
    for (int i = 0; i < m_chosen.GetSize(); ++i)
        m_docker.DockListed(m_chosen[i]);
    m_chosen.RemoveAll();
}

void CRules::OnDocked(HWND hWnd)
{
    if (m_bMaintained)
        m_memory.Docked(hWnd, GetTickCount());
    UpdateHook();
}
