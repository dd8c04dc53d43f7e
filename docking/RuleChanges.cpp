// The rules' changes made in Traylet (Options, a docked window's rows): each
// written, read back, and in force at once.
#include "docking/Rules.h"

#include "docking/Docker.h"
#include "docking/Pattern.h"
#include "docking/ProgramFiles.h"

bool CRules::Add(const Rule& rule)
{
    const bool ok = m_store.Add(rule);
    Changed();
    return ok;
}

bool CRules::Replace(int i, const Rule& rule)
{
    const bool ok = m_store.Replace(i, rule);
    Changed();
    return ok;
}

bool CRules::Remove(int i)
{
    const bool ok = m_store.Remove(i);
    Changed();
    return ok;
}

// A change made in Traylet holds from now on: every window there now has
// opened already, unless it is still within its opening and a rule named
// its program before (its memory is whole); without rules nothing was kept,
// and nothing is whole.
void CRules::Changed()
{
    m_store.Load();
    ++m_dwVersion;
    m_memory.Rebase(!m_bMaintained);
    m_bMaintained = m_store.Count() > 0;
    if (m_bMaintained) {
        m_memory.BeginRound();
        m_bWalkWhole = true;
        g_pfnEnumWindows(MarkExisting, reinterpret_cast<LPARAM>(this));
        if (m_bWalkWhole)
            m_memory.EndRound();
    }
    UpdateHook();
}

BOOL CALLBACK CRules::MarkExisting(HWND hWnd, LPARAM lParam)
{
    auto* self = reinterpret_cast<CRules*>(lParam);
    if (WindowMemory* m = self->m_memory.Find(hWnd))
        m->dwRound = self->m_memory.Round();
    else
        self->m_memory.AddExisting(hWnd, GetTickCount());
    self->m_bWalkWhole = self->m_bWalkWhole && self->m_memory.Find(hWnd);
    return TRUE;
}

bool CRules::IsSet(HWND hWnd, DWORD dwPid, DWORD dwTrigger) const
{
    return Acts(hWnd, dwPid, dwTrigger);
}

bool CRules::Toggle(HWND hWnd, DWORD dwPid, DWORD dwTrigger)
{
    LPCWSTR path = ProgramFiles().PathOf(dwPid);
    if (!path)
        return false;
    bool changed = false;
    int i = -1;
    if (Acts(hWnd, dwPid, dwTrigger)) {
        // Each write reads every rule again: the next one is looked for
        // anew, as many times as there were rules at most.
        for (int left = m_store.Count(); left > 0 && Acts(hWnd, dwPid, dwTrigger, &i); --left) {
            Rule rule = m_store[i];
            rule.dwWhen &= ~dwTrigger;
            if (!(rule.dwWhen ? m_store.Replace(i, rule) : m_store.Remove(i)))
                break;
            changed = true;
        }
    } else {
        for (int n = 0; n < m_store.Count() && i < 0; ++n)
            if (!m_store[n].szTitle[0] && !m_store[n].szClass[0] && MatchProgram(m_store[n].szProgram, path))
                i = n;
        Rule rule = i >= 0 ? m_store[i] : Rule{};
        if (i < 0)
            lstrcpynW(rule.szProgram, FileNameOf(path), MAX_PATH);
        rule.dwWhen |= dwTrigger;
        changed = i >= 0 ? m_store.Replace(i, rule) : m_store.Add(rule);
    }
    Changed();
    return changed;
}
