// Placeholder until the catalogue lands: nothing is ever listed.
#include "app/TrayDockDlg.h"

void CTrayDockDlg::BuildWindowList() { FreeWindowList(); }

void CTrayDockDlg::FreeWindowList()
{
    for (int i = 0; i < m_arrWindows.GetSize(); ++i)
        delete m_arrWindows[i];
    m_arrWindows.RemoveAll();
}

int CTrayDockDlg::FindDockedByIcon(HWND) const { return -1; }
