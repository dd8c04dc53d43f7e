#include "app/CommandStart.h"

#include "app/Handoff.h"
#include "app/Output.h"
#include "app/SingleInstance.h"
#include "docking/RunWatch.h"
#include "docking/WindowList.h"

namespace {

// How often a newcomer looks for the window of the program it started.
constexpr DWORD kRunPollMs = 50;

void WriteLine(LPCWSTR pszLine, void* pContext)
{
    static_cast<COutput*>(pContext)->Write(pszLine);
}

// Why a program could not be started, in the system's words.
void ReportStartFailure(LPCWSTR pszRun, DWORD dwError)
{
    COutput err(STD_ERROR_HANDLE);
    err.Write(L"Traylet: cannot start ");
    err.Write(pszRun);
    err.Write(L": ");
    LPWSTR pszReason = nullptr;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, dwError, 0, reinterpret_cast<LPWSTR>(&pszReason), 0, nullptr) &&
        pszReason) {
        err.Write(pszReason);
        LocalFree(pszReason);
    } else {
        err.Write(L"\r\n");
    }
}

}  // namespace

int PrintUsage()
{
    COutput(STD_OUTPUT_HANDLE).Write(kCommandUsage);
    return kCommandDone;
}

int PrintWindowList()
{
    COutput out(STD_OUTPUT_HANDLE);
    ListWindows(FindWindowA(kRunningClass, kRunningCaption), WriteLine, &out);
    return kCommandDone;
}

int ReportBadCommandLine()
{
    COutput(STD_ERROR_HANDLE).Write(L"Traylet: a bad command line (Traylet.exe /? shows the usage)\r\n");
    return kCommandBad;
}

int CarryOutIn(HWND hWndRunning, const Command& command, LPCWSTR pszArgs)
{
    if (command.verb != Command::kRun)
        return HandOff(hWndRunning, pszArgs);
    CRunWatch watch;
    if (!watch.Start(command.szRun, command.dwWaitSeconds)) {
        ReportStartFailure(command.szRun, GetLastError());
        return kCommandBad;
    }
    for (;;) {
        if (const HWND hWnd = watch.Find(hWndRunning)) {
            WCHAR szDock[32];
            wsprintfW(szDock, L"/dock hwnd:0x%lx",
                      static_cast<unsigned long>(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(hWnd))));
            return HandOff(hWndRunning, szDock);
        }
        if (!watch.Watching())
            return kCommandNoMatch;
        Sleep(kRunPollMs);
    }
}
