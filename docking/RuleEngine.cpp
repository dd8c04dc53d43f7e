#include "docking/RuleEngine.h"

#include <new>

// Looked up for every top-level window each second: kept in the order of
// the handles' values, so that a lookup among a thousand windows takes ten
// steps.
int CWindowMemories::IndexOf(HWND hWnd, bool* pbFound) const
{
    const auto key = reinterpret_cast<UINT_PTR>(hWnd);
    int lo = 0, hi = m_items.GetSize();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const auto at = reinterpret_cast<UINT_PTR>(m_items[mid]->hWnd);
        if (at == key) {
            *pbFound = true;
            return mid;
        }
        if (at < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    *pbFound = false;
    return lo;
}

WindowMemory* CWindowMemories::Find(HWND hWnd) const
{
    bool found = false;
    const int i = IndexOf(hWnd, &found);
    return found ? m_items[i] : nullptr;
}

WindowMemory* CWindowMemories::Add(HWND hWnd, DWORD dwNow)
{
    bool found = false;
    const int i = IndexOf(hWnd, &found);
    if (found)
        return m_items[i];
    auto* m = new (std::nothrow) WindowMemory();
    if (!m || !m_items.InsertAt(i, m)) {
        delete m;
        return nullptr;
    }
    m->hWnd = hWnd;
    m->dwBorn = dwNow;
    m->dwRound = m_dwRound;
    return m;
}

void CWindowMemories::Forget(HWND hWnd)
{
    bool found = false;
    const int i = IndexOf(hWnd, &found);
    if (!found)
        return;
    delete m_items[i];
    m_items.RemoveAt(i);
}

void CWindowMemories::Clear()
{
    for (int i = 0; i < m_items.GetSize(); ++i)
        delete m_items[i];
    m_items.RemoveAll();
}

void CWindowMemories::Docked(HWND hWnd, DWORD dwNow)
{
    WindowMemory* m = Add(hWnd, dwNow);
    if (!m)
        return;
    m->bAppeared = true;
    m->bOpening = false;
    m->bIconicKnown = m->bIconic = true;
}

void CWindowMemories::Rebase(bool bAll)
{
    for (int i = 0; i < m_items.GetSize(); ++i) {
        WindowMemory& m = *m_items[i];
        if (bAll || m.dwVersion == 0 || m.dwTriggers == 0) {
            m.bAppeared = true;
            m.bOpening = false;
            m.bIconicKnown = false;
        }
        m.dwVersion = 0;   // what its program's rules ask for is worked out anew
    }
}

void CWindowMemories::AddExisting(HWND hWnd, DWORD dwNow)
{
    if (Find(hWnd))
        return;
    if (WindowMemory* m = Add(hWnd, dwNow))
        m->bAppeared = true;
}

void CWindowMemories::EndRound()
{
    int kept = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        if (m_items[i]->dwRound == m_dwRound)
            m_items.SetAt(kept++, m_items[i]);
        else
            delete m_items[i];
    }
    m_items.Truncate(kept);
}
