// The owner of the catalogue and the docked list: its life, the lookup by
// icon, and the sweep.
#include "docking/Docker.h"

#include "docking/ProgramFiles.h"
#include "tray/TrayIcon.h"

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
    // A docked record stays while its window exists and is still hidden, or
    // is yet to be hidden: a window that did not answer gets its hide once
    // it pumps, and dropped before that it would be hidden with no icon and
    // no record. The window of a dropped record is left as its program left
    // it.
    bool dropped = false;
    for (int i = 0; i < m_arrDocked.GetSize(); ++i) {
        DockEntry* entry = m_arrDocked[i];
        if (IsWindow(entry->hWnd)) {
            if (!IsWindowVisible(entry->hWnd)) {
                entry->bHidePending = FALSE;
                continue;
            }
            if (entry->bHidePending)
                continue;
        }
        m_arrDocked.RemoveAt(i);
        --i;
        ReleaseDocked(entry);
        dropped = true;
    }
    if (dropped)
        m_record.Write(m_arrDocked);
    // Processes are checked to be still running once per sweep, before
    // anything asks for their program files.
    ProgramFiles().NewRound();
    m_rules.Sweep();
}

void CDocker::ReleaseDocked(DockEntry* entry)
{
    if (entry->pTrayIcon) {
        entry->pTrayIcon->RemoveIcon();
        delete entry->pTrayIcon;
    }
    delete entry;
}
