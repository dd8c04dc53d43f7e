#include "app/TrayDockApp.h"

#include "app/CommandStart.h"
#include "app/CrashExit.h"
#include "app/Guard.h"
#include "app/Handoff.h"
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

    // The command line read wide: selectors and programs may be named in any
    // script. A bad one changes nothing: no hand-off, no Traylet.
    const LPCWSTR pszArgs = SkipProgramName(GetCommandLineW());
    Command command;
    if (!ParseCommand(pszArgs, &command)) {
        m_nExitCode = ReportBadCommandLine();
        return FALSE;
    }
    // Answered here, whether a copy runs or not.
    if (command.verb == Command::kHelp) {
        m_nExitCode = PrintUsage();
        return FALSE;
    }
    if (command.verb == Command::kList) {
        m_nExitCode = PrintWindowList();
        return FALSE;
    }

    InitCommonControls();

    // One copy per session, whichever build: the mutex is taken before
    // anything is made. The search covers hidden windows too, so a copy whose
    // dialog was never shown is found. A copy still starting gets a few
    // seconds to make its dialog; one that never does is left to itself.
    CSingleInstance instance;
    HWND running = nullptr;
    if (!instance.Claim(L"Local\\Traylet.Instance", kRunningClass, kRunningCaption, 10000, &running)) {
        if (command.verb != Command::kNone)
            m_nExitCode = running ? CarryOutIn(running, command, pszArgs) : kCommandNoAnswer;
        else if (running)
            PostMessageA(running, WM_COMMAND, ID_MINIMIZE_ALL, 0);
        return FALSE;
    }
    // With no copy running nothing is docked: there is nothing to bring back.
    if (command.verb == Command::kUndock || command.verb == Command::kUndockAll) {
        m_nExitCode = kCommandNoMatch;
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
        // /dock and /run with no copy running: this copy carries them out.
        if (command.verb != Command::kNone)
            dlg.SetStartCommand(&command);
        // Before the dialog runs: the popup menus take the main window as
        // their parent.
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // FALSE on every path: the framework never runs a loop of its own.
    return FALSE;
}
