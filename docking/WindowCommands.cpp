// The command line's verbs on windows: docking the listed windows a selector
// names, and bringing back the docked ones it names, each as the menus do.
#include "docking/Commands.h"
#include "docking/Docker.h"
#include "docking/ProgramFiles.h"

namespace {

// Whether the selector names hWnd. Only what its kind reads is asked of the
// window; the title is the whole title, not the menu's cut of it.
bool Names(const WindowSelector& selector, HWND hWnd)
{
    WindowFacts facts{hWnd, 0, nullptr, nullptr, nullptr};
    WCHAR szText[WindowSelector::kMaxText] = L"";
    switch (selector.kind) {
    case WindowSelector::kTitle:
        GetWindowTextW(hWnd, szText, WindowSelector::kMaxText);
        facts.pszTitle = szText;
        break;
    case WindowSelector::kClass:
        GetClassNameW(hWnd, szText, 256);
        facts.pszClass = szText;
        break;
    case WindowSelector::kProgram:
    case WindowSelector::kPid:
        GetWindowThreadProcessId(hWnd, &facts.dwPid);
        facts.pszProgram = selector.kind == WindowSelector::kProgram ? ProgramFiles().PathOf(facts.dwPid) : nullptr;
        break;
    case WindowSelector::kHandle:
        break;
    }
    return SelectorMatches(selector, facts);
}

struct Matches {
    const WindowSelector* pSelector;
    CTypedPtrArray<HWND__> found;
};

bool CollectMatch(HWND hWnd, LPCWSTR, void* pContext)
{
    auto* matches = static_cast<Matches*>(pContext);
    // Out of memory: the windows found so far are docked.
    return !Names(*matches->pSelector, hWnd) || matches->found.Add(hWnd) >= 0;
}

}  // namespace

CommandResult CDocker::DockMatching(const WindowSelector& selector)
{
    CBusy busy(m_nBusy);
    ProgramFiles().NewRound();
    if (selector.kind == WindowSelector::kHandle) {
        if (DockListed(selector.hWnd))
            return kCommandDone;
        WCHAR szTitle[100];
        return IsListed(selector.hWnd, szTitle) || StillDockedIndexOf(selector.hWnd) >= 0 ? kCommandNoMatch
                                                                                          : kCommandBad;
    }
    // Found first, docked after: every dock hides a window the walk would
    // otherwise be passing.
    Matches matches{&selector, {}};
    WalkListed(CollectMatch, &matches);
    int nDocked = 0;
    for (int i = 0; i < matches.found.GetSize(); ++i)
        if (DockListed(matches.found[i]))
            ++nDocked;
    return nDocked ? kCommandDone : kCommandNoMatch;
}

CommandResult CDocker::UndockMatching(const WindowSelector& selector)
{
    CBusy busy(m_nBusy);
    ProgramFiles().NewRound();
    if (selector.kind == WindowSelector::kHandle) {
        const int i = StillDockedIndexOf(selector.hWnd);
        if (i >= 0) {
            RunWindowCommandAt(i, ID_UNDOCK);
            return kCommandDone;
        }
        WCHAR szTitle[100];
        return IsListed(selector.hWnd, szTitle) ? kCommandNoMatch : kCommandBad;
    }
    int nBack = 0;
    for (int i = 0; i < m_arrDocked.GetSize();) {
        const HWND hWnd = m_arrDocked[i]->hWnd;
        if (IsStillDocked(*m_arrDocked[i]) && Names(selector, hWnd)) {
            RunWindowCommandAt(i, ID_UNDOCK);   // the records after it move down
            ++nBack;
        } else {
            ++i;
        }
    }
    return nBack ? kCommandDone : kCommandNoMatch;
}

CommandResult CDocker::UndockEvery()
{
    const bool bAny = !m_arrDocked.IsEmpty();
    UndockAll();
    return bAny ? kCommandDone : kCommandNoMatch;
}
