// The controller dialog's side of the command line: commands handed over by
// later starts of the program, and the one this start carried.
#include "app/Handoff.h"
#include "app/TrayDockDlg.h"

LRESULT CTrayDockDlg::OnCopyData(const COPYDATASTRUCT* pcds)
{
    // Before the docker has its owner, a command is asked again, as while
    // the docker is busy.
    if (!m_bReady && HandedArguments(pcds))
        return static_cast<LRESULT>(kHandoffBusy);
    return AnswerHandoff(m_docker, pcds);
}

void CTrayDockDlg::OnStartCommand()
{
    const Command* command = m_pStartCommand;
    m_pStartCommand = nullptr;
    if (!command)
        return;
    if (command->verb != Command::kRun) {
        RunCommand(m_docker, *command);
        return;
    }
    // The loop goes on while the program starts: its window is looked for
    // on a timer, never waited for here.
    if (m_runWatch.Start(command->szRun, command->dwWaitSeconds))
        SetTimer(IDT_RUN_WATCH, kRunWatchPeriodMs);
}

void CTrayDockDlg::OnRunWatchTick()
{
    if (const HWND hWnd = m_runWatch.Find(m_hWnd))
        m_docker.DockListed(hWnd);
    if (!m_runWatch.Watching())
        KillTimer(IDT_RUN_WATCH);
}
