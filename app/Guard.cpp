#include "app/Guard.h"

#include "docking/DockRecord.h"
#include "framework/ProcessId.h"

#include <cstring>

namespace {

const char kGuardSwitch[] = "/guard";

// Exactly nDigits hex digits (upper or lower case) and nothing else before
// the end of the text.
BOOL ParseHex64(LPCSTR psz, int nDigits, ULONGLONG* pValue)
{
    ULONGLONG value = 0;
    for (int i = 0; i < nDigits; ++i, ++psz) {
        const char c = *psz;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return FALSE;
        value = (value << 4) | static_cast<ULONGLONG>(digit);
    }
    if (*psz != '\0')
        return FALSE;
    *pValue = value;
    return TRUE;
}

}  // namespace

GuardArgs ParseGuardArgs(LPCSTR pszArgs, DWORD* pdwPid, ULONGLONG* pullCreated)
{
    const size_t cchSwitch = sizeof kGuardSwitch - 1;
    if (!pszArgs || std::strncmp(pszArgs, kGuardSwitch, cchSwitch) != 0)
        return GuardArgs::None;
    LPCSTR p = pszArgs + cchSwitch;
    if (*p++ != ' ')
        return GuardArgs::Malformed;
    DWORD pid = 0;
    p = ParseProcessId(p, &pid);
    if (!p || *p++ != ' ')
        return GuardArgs::Malformed;
    ULONGLONG created = 0;
    if (!ParseHex64(p, 16, &created))
        return GuardArgs::Malformed;
    *pdwPid = pid;
    *pullCreated = created;
    return GuardArgs::Valid;
}

int RunGuard(DWORD dwPid, ULONGLONG ullCreated)
{
    // The exit code says nothing (a killed process can report 0): only the
    // end of the process is waited for. A process that cannot be opened, or
    // that is another one given the same id, means the main one has ended
    // already.
    {
        const CHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid));
        if (process && ProcessCreationTime(process.Get()) == ullCreated)
            WaitForSingleObject(process.Get(), INFINITE);
    }
    RestoreRecordOf(dwPid, ullCreated);
    return 0;
}

CGuard::~CGuard()
{
    Release();
}

BOOL CGuard::Start()
{
    Release();
    // Wide: the path may hold characters of no ANSI code page.
    WCHAR szPath[1024];
    const DWORD cchPath = GetModuleFileNameW(nullptr, szPath, ARRAYSIZE(szPath));
    if (cchPath == 0 || cchPath >= ARRAYSIZE(szPath))
        return FALSE;
    const ULONGLONG created = ProcessCreationTime(GetCurrentProcess());
    WCHAR szArgs[48];
    wsprintfW(szArgs, L"\" /guard %lu %08lX%08lX", static_cast<unsigned long>(GetCurrentProcessId()),
              static_cast<unsigned long>(created >> 32), static_cast<unsigned long>(created & 0xFFFFFFFFu));
    WCHAR szCommand[ARRAYSIZE(szPath) + ARRAYSIZE(szArgs) + 1] = L"\"";
    lstrcatW(szCommand, szPath);
    lstrcatW(szCommand, szArgs);

    // No busy cursor: the guard never shows a window to end it.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_FORCEOFFFEEDBACK;
    PROCESS_INFORMATION pi{};
    m_dwStartTick = GetTickCount();
    if (!CreateProcessW(szPath, szCommand, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return FALSE;
    const CHandle thread(pi.hThread);   // nothing to do with it
    m_process.Attach(pi.hProcess);
    WatchProcess();
    return TRUE;
}

void CGuard::Watch(HWND hWnd)
{
    m_hWndNotify = hWnd;
    WatchProcess();
}

void CGuard::WatchProcess()
{
    // A guard that ended before this is reported at once.
    if (m_process && m_hWndNotify && !m_hWait &&
        !RegisterWaitForSingleObject(&m_hWait, m_process.Get(), Ended, this, INFINITE, WT_EXECUTEONLYONCE))
        m_hWait = nullptr;
}

void CALLBACK CGuard::Ended(void* pContext, BOOLEAN)
{
    // A thread of the pool: the restart is left to the window's thread.
    PostMessageA(static_cast<CGuard*>(pContext)->m_hWndNotify, WM_GUARD_ENDED, 0, 0);
}

void CGuard::OnEnded()
{
    if (m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT)
        return;
    Release();
    // A guard that ends as soon as it starts is not started again at once,
    // over and over: the next tick does it.
    if (GetTickCount() - m_dwStartTick >= 1000)
        Start();
}

void CGuard::Tick()
{
    if (!m_process)
        Start();
}

void CGuard::Release()
{
    // Waits for a callback under way, which uses this object.
    if (m_hWait)
        UnregisterWaitEx(m_hWait, INVALID_HANDLE_VALUE);
    m_hWait = nullptr;
    m_process.Close();
}
