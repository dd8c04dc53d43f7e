// The owner of the catalogue and the docked list: its life, the lookup by
// icon, and the sweep.
#include "docking/Docker.h"

#include "docking/ProgramFiles.h"
#include "tray/TrayIcon.h"

#include <cwchar>

CDocker::~CDocker()
{
    FreeWindowList();
    UndockAll();
}

void CDocker::SetOwner(CWnd* pOwner)
{
    m_pOwner = pOwner;
    m_hWndOwner = pOwner ? pOwner->m_hWnd : nullptr;
}

int FindDockedByIcon(const CTypedPtrArray<DockEntry>& docked, HWND hIcon)
{
    for (int i = 0; i < docked.GetSize(); ++i) {
        const CTrayIcon* icon = docked[i]->pTrayIcon;
        if ((icon ? icon->m_hWnd : nullptr) == hIcon)
            return i;
    }
    return -1;
}

int CDocker::FindDockedByIcon(HWND hIcon) const
{
    return ::FindDockedByIcon(m_arrDocked, hIcon);
}

void CDocker::Sweep()
{
    CBusy busy(m_nBusy);
    // The window of a dropped record is left as its program left it.
    bool dropped = false;
    for (int i = 0; i < m_arrDocked.GetSize(); ++i) {
        DockEntry* entry = m_arrDocked[i];
        if (IsStillDocked(*entry)) {
            // Seen hidden, a hide that waited in its queue has been carried out.
            if (entry->bHidePending && !IsWindowVisible(entry->hWnd))
                entry->bHidePending = FALSE;
            continue;
        }
        m_arrDocked.RemoveAt(i);
        --i;
        ReleaseDocked(entry);
        dropped = true;
    }
    if (dropped)
        m_record.Write(m_arrDocked);
    // Where renames are not reported, the sweep sees them within a second.
    RefreshTitles();
    // Processes are checked to be still running once per sweep, before
    // anything asks for their program files.
    ProgramFiles().NewRound();
    m_rules.Sweep();
}

int CDocker::StillDockedIndexOf(HWND hWnd) const
{
    for (int i = 0; i < m_arrDocked.GetSize(); ++i)
        if (m_arrDocked[i]->hWnd == hWnd)
            return IsStillDocked(*m_arrDocked[i]) ? i : -1;
    return -1;
}

void CDocker::RefreshTitle(HWND hWnd)
{
    CBusy busy(m_nBusy);
    const int i = StillDockedIndexOf(hWnd);
    if (i >= 0)
        RefreshTitleAt(i);
}

void CDocker::RefreshTitles()
{
    CBusy busy(m_nBusy);
    for (int i = 0; i < m_arrDocked.GetSize(); ++i)
        RefreshTitleAt(i);
}

void CDocker::RefreshTitleAt(int i)
{
    DockEntry* entry = m_arrDocked[i];
    if (!entry->pTrayIcon)
        return;
    WCHAR szTitle[100];
    GetWindowTitle(entry->hWnd, szTitle);
    // The shell is asked only for a change: a title read each second would
    // otherwise cost a call into the shell each second for every icon.
    if (std::wcscmp(szTitle, entry->szTitle) == 0)
        return;
    // A window that is gone reads as untitled: the sweep drops it instead.
    // Only an empty title asks, since each second every docked window's
    // title is read.
    if (szTitle[0] == L'\0' && !IsWindow(entry->hWnd))
        return;
    lstrcpynW(entry->szTitle, szTitle, 100);
    entry->pTrayIcon->SetTip(entry->szTitle);
}

void CDocker::ReleaseDocked(DockEntry* entry)
{
    if (entry->pTrayIcon) {
        entry->pTrayIcon->RemoveIcon();
        delete entry->pTrayIcon;
    }
    delete entry;
}
