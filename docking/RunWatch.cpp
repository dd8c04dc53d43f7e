#include "docking/RunWatch.h"

#include "docking/DockRecord.h"
#include "docking/Docker.h"
#include "docking/ProgramFiles.h"

#include <new>

namespace {

struct Search {
    const CRunWatch* pWatch;
    HWND hWndTraylet;
    HWND hFound;
};

}  // namespace

BOOL CRunWatch::Start(LPCWSTR pszCommandLine, DWORD dwWaitSeconds)
{
    m_bWatching = false;
    m_process.Close();
    // CreateProcessW may write into the command line it is given.
    const int cch = lstrlenW(pszCommandLine) + 1;
    WCHAR* command = new (std::nothrow) WCHAR[cch];
    if (!command) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    lstrcpyW(command, pszCommandLine);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    const DWORD error = GetLastError();
    delete[] command;
    if (!started) {
        SetLastError(error);
        return FALSE;
    }
    const CHandle thread(pi.hThread);   // nothing to do with it
    m_process.Attach(pi.hProcess);
    m_dwPid = pi.dwProcessId;
    m_ullCreated = ProcessCreationTime(m_process.Get());
    DWORD cchPath = MAX_PATH;
    // Without its path only the started process's own windows can be found.
    if (!QueryFullProcessImageNameW(m_process.Get(), 0, m_szPath, &cchPath))
        m_szPath[0] = L'\0';
    m_dwStart = GetTickCount();
    m_dwWaitMs = dwWaitSeconds * 1000;
    m_bWatching = true;
    return TRUE;
}

bool CRunWatch::Watching() const
{
    return m_bWatching && GetTickCount() - m_dwStart < m_dwWaitMs;
}

bool CRunWatch::IsOfTheProgram(DWORD pid) const
{
    if (pid == m_dwPid)
        return true;
    if (!m_szPath[0] || pid == GetCurrentProcessId())
        return false;
    const LPCWSTR path = ProgramFiles().PathOf(pid);
    if (!path || CompareStringOrdinal(path, -1, m_szPath, -1, TRUE) != CSTR_EQUAL)
        return false;
    // Started after ours: what the launcher handed over to, not a copy that
    // was open before.
    const CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    return process && ProcessCreationTime(process.Get()) >= m_ullCreated;
}

BOOL CALLBACK CRunWatch::FindProc(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    WCHAR szTitle[100];
    if (!search->pWatch->IsOfTheProgram(pid) || !IsListedWindow(hWnd, search->hWndTraylet, szTitle))
        return TRUE;
    search->hFound = hWnd;
    return FALSE;
}

HWND CRunWatch::Find(HWND hWndTraylet)
{
    if (!Watching()) {
        m_bWatching = false;
        return nullptr;
    }
    ProgramFiles().NewRound();
    Search search{this, hWndTraylet, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&search));
    if (search.hFound)
        m_bWatching = false;
    return search.hFound;
}
