#pragma once
#include "docking/RuleStore.h"

// What the rules remember of a window between two looks at it: whether it
// has opened (been listed once), whether it may still count as opening, and
// whether it was minimized. A look at a window decides which triggers may
// dock it now; the rules' patterns decide whether they do.
struct WindowMemory {
    HWND hWnd;
    DWORD dwBorn;       // tick this memory was made: an older creation event is not about it
    DWORD dwRound;      // the last walk that saw the window
    DWORD dwPid;        // 0 until read
    DWORD dwVersion;    // the rules dwTriggers was worked out for; 0: not yet
    DWORD dwTriggers;   // RULE_* of the rules that name its program
    DWORD dwAppeared;   // tick it was first listed
    bool bAppeared;     // it has opened: listed once, docked, or there before the rules changed
    bool bOpening;      // a title that matches now still counts as its opening
    bool bIconicKnown;  // bIconic holds what a look or a dock saw
    bool bIconic;
};

// How long after a window appears a title that comes to match still counts
// as its opening: a splash title, an empty one filled in later.
constexpr DWORD kOpeningMs = 10000;

// Nothing can dock the window until a look at it could tell something new:
// it has opened, and only its opening could have docked it.
inline bool Settled(const WindowMemory& m)
{
    return m.bAppeared && !m.bOpening && !(m.dwTriggers & RULE_MINIMIZED);
}

// A look at the window: its style says whether it is visible and minimized
// (bIconic is also true while it is being minimized); isListed() tells
// whether the main menu would list it, and is asked only when that decides
// something. Returns the triggers that may dock it now: RULE_OPENS while it
// opens (the first look that finds it listed, and the looks within
// kOpeningMs of that), RULE_MINIMIZED when it turns minimized, or appears
// minimized. A window that is not visible (a docked one, one its program
// hid) changes nothing.
template <class Listed>
DWORD LookAt(WindowMemory& m, bool bVisible, bool bIconic, DWORD dwNow, Listed isListed)
{
    if (!bVisible)
        return 0;
    if (m.bOpening && dwNow - m.dwAppeared > kOpeningMs)
        m.bOpening = false;
    const bool bOpening = !m.bAppeared || m.bOpening;
    const bool bMinimizing = bIconic && (!m.bAppeared || (m.bIconicKnown && !m.bIconic));
    if ((bOpening || bMinimizing) && !isListed())
        return 0;   // it opens once it is listed, and only then
    if (!m.bAppeared) {
        m.bAppeared = m.bOpening = true;
        m.dwAppeared = dwNow;
    }
    m.bIconic = bIconic;
    m.bIconicKnown = true;
    return (bOpening ? RULE_OPENS : 0) | (bMinimizing ? RULE_MINIMIZED : 0);
}

// Every window the rules know, by handle.
class CWindowMemories {
public:
    CWindowMemories() = default;
    ~CWindowMemories() { Clear(); }
    CWindowMemories(const CWindowMemories&) = delete;
    CWindowMemories& operator=(const CWindowMemories&) = delete;

    WindowMemory* Find(HWND hWnd) const;
    // A window never seen listed; null when there is no memory for it.
    WindowMemory* Add(HWND hWnd, DWORD dwNow);
    void Forget(HWND hWnd);
    int Count() const { return m_items.GetSize(); }
    void Clear();

    // Docking minimizes and hides the window, and it has opened: brought
    // back, it does not open again, and it is not minimized anew until a
    // look sees it restored.
    void Docked(HWND hWnd, DWORD dwNow);

    // The rules changed: what was only kept for windows their programs'
    // rules named (all of them when bAll) now holds for every window, which
    // has opened already, its state unknown until the next look.
    void Rebase(bool bAll);
    // A window there when the rules changed.
    void AddExisting(HWND hWnd, DWORD dwNow);

    // A walk of every top-level window: memories of windows it does not
    // see are dropped (their windows are gone) when it ends, if it was
    // whole.
    void BeginRound() { ++m_dwRound; }
    DWORD Round() const { return m_dwRound; }
    void EndRound();

private:
    int IndexOf(HWND hWnd, bool* pbFound) const;
    CTypedPtrArray<WindowMemory> m_items;   // by handle value, ascending
    DWORD m_dwRound = 1;
};
