// Placeholder until the dock commands land.
#include "app/TrayDockDlg.h"
#include "docking/Commands.h"

LRESULT CTrayDockDlg::OnTrayCommand(WPARAM wParam, LPARAM)
{
    if (wParam == ID_APP_EXIT_TRAY)
        PostQuitMessage(0);
    else if (wParam == ID_OPTIONS)
        ShowOptions();
    return 1;
}

void CTrayDockDlg::UndockAll()
{
    for (int i = 0; i < m_arrDocked.GetSize(); ++i)
        ReleaseDocked(m_arrDocked[i]);
    m_arrDocked.RemoveAll();
}
