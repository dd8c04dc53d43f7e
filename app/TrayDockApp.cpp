#include "app/TrayDockApp.h"

#include "app/CrashExit.h"
#include "app/Guard.h"
#include "app/SingleInstance.h"
#include "app/TrayDockDlg.h"
#include "docking/Commands.h"
#include "docking/DockRecord.h"
#include "tray/TrayIcon.h"

#include <commctrl.h>

// Made together, in this order: the framework's state is constant-
// initialised before either, and the shell's two message numbers exist
// before any tray icon can be created.
CTrayDockApp theApp;

namespace {
const bool g_bTrayMessages = (RegisterTrayMessages(), true);
}  // namespace

BOOL CTrayDockApp::InitInstance()
{
    EndProcessOnFault();

    // A guard does its one task and nothing else: no window, no hand-off.
    DWORD dwMainPid = 0;
    ULONGLONG ullMainCreated = 0;
    switch (ParseGuardArgs(m_lpCmdLine, &dwMainPid, &ullMainCreated)) {
    case GuardArgs::Valid:
        m_nExitCode = RunGuard(dwMainPid, ullMainCreated);
        return FALSE;
    case GuardArgs::Malformed:
        return FALSE;
    case GuardArgs::None:
        break;
    }

    InitCommonControls();

    // One copy per session, whichever build: the mutex is taken before
    // anything is made. The search covers hidden windows too, so a copy whose
    // dialog was never shown is found. A copy still starting gets a few
    // seconds to make its dialog; one that never does is left to itself.
    CSingleInstance instance;
    HWND running = nullptr;
    if (!instance.Claim(L"Local\\Traylet.Instance", "#32770", "Traylet", 10000, &running)) {
        if (running)
            PostMessageA(running, WM_COMMAND, ID_MINIMIZE_ALL, 0);
        return FALSE;
    }

    // Windows that an earlier Traylet left hidden when it and its guard were
    // both ended come back before anything else.
    RepairOrphanedRecords();

    CWinApp::InitInstance();
    CGuard guard;
    guard.Start();
    {
        CTrayDockDlg dlg;
        dlg.SetGuard(&guard);
        // Before the dialog runs: the popup menus take the main window as
        // their parent.
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // FALSE on every path: the framework never runs a loop of its own.
    return FALSE;
}
