// Placeholder until the Run value lands.
#include "app/TrayDockDlg.h"

void CTrayDockDlg::CheckRunValue() {}
void CTrayDockDlg::OnStartWithWindows() {}
