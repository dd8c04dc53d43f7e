// Placeholder until the menus are composed.
#include "app/TrayDockDlg.h"

LRESULT CTrayDockDlg::OnTrayBuildMenu(WPARAM, LPARAM) { return 1; }
