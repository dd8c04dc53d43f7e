// The commands that reach the docked windows' owner from the tray icons:
// docking a catalogued window, driving and undocking a docked one, and the
// commands on all windows.
#include "docking/Commands.h"
#include "docking/Docker.h"
#include "docking/WindowCalls.h"
#include "tray/TrayIcon.h"

#include <new>

namespace {

// Other programs' windows are driven by posted system commands, which never
// wait for them.
void PostSysCommand(HWND hWnd, WPARAM code)
{
    PostMessageA(hWnd, WM_SYSCOMMAND, code, 0);
}

}  // namespace

// A command from a docked window's icon: the window is shown, driven and no
// longer docked.
void CDocker::RunWindowCommand(HWND hIcon, WPARAM nCmd)
{
    const int i = FindDockedByIcon(hIcon);
    if (i >= 0)   // else the sweep dropped it after the command was posted
        RunWindowCommandAt(i, nCmd);
}

void CDocker::RunWindowCommandAt(int i, WPARAM nCmd)
{
    CBusy busy(m_nBusy);
    // Off the list before the window is asked anything: its waits dispatch
    // what is sent to this thread (a click on an icon, whose popup runs the
    // sweep), and the sweep frees a listed record that it finds shown.
    DockEntry* entry = m_arrDocked[i];
    m_arrDocked.RemoveAt(i);
    ShowWindowBounded(entry->hWnd, SW_SHOW, WindowAnswers(entry->hWnd));
    switch (nCmd) {
    case ID_RESTORE:
        // From minimized, a window that was maximized comes back maximized;
        // the second restore takes it to its normal size.
        PostSysCommand(entry->hWnd, SC_RESTORE);
        if (entry->bWasZoomed)
            PostSysCommand(entry->hWnd, SC_RESTORE);
        break;
    case ID_MINIMIZE:
        PostSysCommand(entry->hWnd, SC_MINIMIZE);
        break;
    case ID_MAXIMIZE:
        PostSysCommand(entry->hWnd, SC_MAXIMIZE);
        break;
    case ID_CLOSE_WINDOW:
        PostSysCommand(entry->hWnd, SC_CLOSE);
        break;
    default:   // ID_UNDOCK, and a double-click on the icon
        PostDockedState(entry->hWnd, entry->bWasIconic, entry->bWasZoomed);
        break;
    }
    ReleaseDocked(entry);
    m_record.Write(m_arrDocked);
}

// Everything that can run out of memory comes before the window is touched:
// a dock that cannot get its icon, its place in the docked list or its place
// in the record is refused, and the window stays as it is. FALSE also for a
// window that is gone or docked already. On TRUE the record names the window
// and *ppIcon is its tray icon, not made yet.
bool CDocker::PrepareDock(DockEntry* entry, CTrayIcon** ppIcon)
{
    if (!IsWindow(entry->hWnd))
        return false;
    for (int i = 0; i < m_arrDocked.GetSize(); ++i)
        if (m_arrDocked[i]->hWnd == entry->hWnd)
            return false;
    auto* icon = new (std::nothrow) CTrayIcon;
    if (!icon)
        return false;
    if (!m_arrDocked.Reserve(1)) {
        delete icon;
        return false;
    }

    IconOf(*entry);
    // Read before anything changes the window: undocking puts it back so.
    entry->bWasIconic = IsIconic(entry->hWnd);
    entry->bWasZoomed = IsZoomed(entry->hWnd);
    GetWindowThreadProcessId(entry->hWnd, &entry->dwProcessId);
    // Recorded before it is hidden: whatever becomes of this process from
    // here on, the window can be found and brought back. A dock that cannot
    // be recorded is refused.
    if (!m_record.Write(m_arrDocked, entry)) {
        entry->bWasIconic = entry->bWasZoomed = FALSE;
        entry->dwProcessId = 0;
        delete icon;
        return false;
    }
    *ppIcon = icon;
    return true;
}

// The rest of a dock that PrepareDock let through, for a record that no list
// holds any more: whatever the minimize's and the hide's waits dispatch (a
// request that rebuilds the catalogue) cannot free it.
void CDocker::FinishDock(DockEntry* entry, CTrayIcon* icon)
{
    const BOOL bAnswers = entry->bWasIconic ? WindowAnswers(entry->hWnd)
                                            : SendOrNotify(entry->hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ShowWindowBounded(entry->hWnd, SW_HIDE, bAnswers);
    entry->bHidePending = !bAnswers;
    m_arrDocked.Add(entry);   // the room was reserved
    // The icon comes once its window is listed as docked: a click on it
    // during the waits above (the shell's report is dispatched in them)
    // would find no docked window to make a menu of.
    entry->pTrayIcon = icon;
    icon->Create(m_pOwner, entry->hIcon, entry->szTitle);
    m_rules.OnDocked(entry->hWnd);
}

// Docks catalogue entry n. 0 when the window is gone or docked already, 1
// otherwise (also when nothing could be done).
LRESULT CDocker::Dock(WPARAM n, HWND hIcon)
{
    if (!hIcon || n >= static_cast<WPARAM>(m_arrWindows.GetSize()))
        return 1;
    CBusy busy(m_nBusy);
    DockEntry* entry = m_arrWindows[static_cast<int>(n)];
    CTrayIcon* icon = nullptr;
    if (!PrepareDock(entry, &icon))
        return 0;
    m_arrWindows.RemoveAt(static_cast<int>(n));
    FinishDock(entry, icon);
    return 1;
}

bool CDocker::DockListed(HWND hWnd)
{
    CBusy busy(m_nBusy);
    WCHAR szTitle[100];
    if (!IsListed(hWnd, szTitle))
        return false;
    DockEntry* entry = NewDockEntry(hWnd, szTitle);
    if (!entry)
        return false;
    CTrayIcon* icon = nullptr;
    if (!PrepareDock(entry, &icon)) {
        delete entry;
        return false;
    }
    FinishDock(entry, icon);
    return true;
}

LRESULT CDocker::OnCommand(WPARAM nCmd, HWND hIcon, bool bOwnIcon)
{
    // The whole value counts: anything in the upper half matches no command
    // of the table and names no catalogue entry.
    switch (nCmd) {
    case ID_MINIMIZE_ALL:
        BuildWindowList();
        if (bOwnIcon) {
            for (int i = 0; i < m_arrWindows.GetSize(); ++i)
                if (!IsIconic(m_arrWindows[i]->hWnd))
                    PostSysCommand(m_arrWindows[i]->hWnd, SC_MINIMIZE);
        } else {
            RunWindowCommand(hIcon, ID_UNDOCK);
        }
        break;
    case ID_UNDOCK_ALL:
        UndockAll();
        break;
    case ID_CLOSE_ALL:
        // The catalogue as the menu showed it; docked windows are not in it.
        for (int i = 0; i < m_arrWindows.GetSize(); ++i)
            PostSysCommand(m_arrWindows[i]->hWnd, SC_CLOSE);
        break;
    case ID_RULE_OPENS:
    case ID_RULE_MINIMIZED:
        if (const int i = FindDockedByIcon(hIcon); i >= 0)
            m_rules.Toggle(m_arrDocked[i]->hWnd, m_arrDocked[i]->dwProcessId,
                           nCmd == ID_RULE_OPENS ? RULE_OPENS : RULE_MINIMIZED);
        break;
    case ID_UNDOCK:
    case ID_RESTORE:
    case ID_MINIMIZE:
    case ID_MAXIMIZE:
    case ID_CLOSE_WINDOW:
        RunWindowCommand(hIcon, nCmd);
        break;
    default:
        break;
    }
    if (nCmd < ID_DOCK_FIRST)
        return 1;
    return Dock(nCmd - ID_DOCK_FIRST, hIcon);
}

LRESULT CDocker::DockWindow(HWND hWnd, HWND hOwnIcon)
{
    BuildWindowList();
    for (int n = 0; n < m_arrWindows.GetSize(); ++n)
        if (m_arrWindows[n]->hWnd == hWnd)
            return OnCommand(ID_DOCK_FIRST + n, hOwnIcon, true);
    return 0;
}

BOOL CDocker::UndockLatest()
{
    // Records of windows that were destroyed or shown since are the sweep's
    // to drop; their windows are not ours to touch any more.
    for (int i = m_arrDocked.GetSize() - 1; i >= 0; --i) {
        if (IsStillDocked(*m_arrDocked[i])) {
            RunWindowCommandAt(i, ID_UNDOCK);
            return TRUE;
        }
    }
    return FALSE;
}

void CDocker::UndockAll()
{
    CBusy busy(m_nBusy);
    // Each off the list before it is brought back, as a single undock is.
    while (!m_arrDocked.IsEmpty()) {
        DockEntry* entry = m_arrDocked[0];
        m_arrDocked.RemoveAt(0);
        BringBack(entry->hWnd, entry->bWasIconic, entry->bWasZoomed);
        ReleaseDocked(entry);
    }
    m_record.Write(m_arrDocked);
}
