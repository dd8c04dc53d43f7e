#include "docking/WindowList.h"

#include "docking/DockRecord.h"
#include "docking/Docker.h"
#include "docking/ProgramFiles.h"
#include "framework/Handle.h"
#include "framework/Text.h"

namespace {

// Appends psz, its control characters as spaces; the line is sized so that
// nothing is ever cut.
void Append(WCHAR (&szLine)[kMaxWindowLine], int* pn, LPCWSTR psz)
{
    for (; *psz && *pn < kMaxWindowLine - 1; ++psz)
        szLine[(*pn)++] = *psz < L' ' ? L' ' : *psz;
    szLine[*pn] = L'\0';
}

struct Lister {
    void (*pfn)(LPCWSTR, void*);
    void* pContext;
};

void Emit(const Lister& lister, HWND hWnd, bool bDocked, bool bIconic, bool bZoomed)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    WCHAR szTitle[1024] = L"";
    GetWindowTextW(hWnd, szTitle, ARRAYSIZE(szTitle));
    TrimCutSurrogate(szTitle);
    WCHAR szLine[kMaxWindowLine];
    FormatWindowLine({hWnd, bDocked, bIconic, bZoomed, ProgramFiles().PathOf(pid), szTitle}, szLine);
    lister.pfn(szLine, lister.pContext);
}

bool ListListed(HWND hWnd, LPCWSTR, void* pContext)
{
    Emit(*static_cast<Lister*>(pContext), hWnd, false, IsIconic(hWnd) != FALSE, IsZoomed(hWnd) != FALSE);
    return true;
}

void ListDocked(const DockRecordEntry& entry, void* pContext)
{
    // A window its program has shown or destroyed since is no longer docked,
    // whatever the record says until the next sweep.
    if (IsRecordedWindowHidden(entry))
        Emit(*static_cast<Lister*>(pContext), RecordedWindow(entry), true, (entry.dwFlags & kDockedIconic) != 0,
             (entry.dwFlags & kDockedZoomed) != 0);
}

}  // namespace

void FormatWindowLine(const WindowLine& line, WCHAR (&szLine)[kMaxWindowLine])
{
    WCHAR szHandle[16];
    wsprintfW(szHandle, L"0x%lx", static_cast<unsigned long>(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(line.hWnd))));
    int n = 0;
    szLine[0] = L'\0';
    const LPCWSTR fields[] = {
        szHandle,
        line.bDocked ? L"docked" : L"listed",
        line.bIconic ? L"minimized" : line.bZoomed ? L"maximized" : L"normal",
        line.pszProgram ? line.pszProgram : L"-",
        line.pszTitle,
    };
    for (LPCWSTR field : fields) {
        if (n)
            szLine[n++] = L'\t';
        Append(szLine, &n, field);
    }
    lstrcpyW(szLine + n, L"\r\n");
}

void ListWindows(HWND hWndTraylet, void (*pfn)(LPCWSTR pszLine, void* pContext), void* pContext)
{
    Lister lister{pfn, pContext};
    ProgramFiles().NewRound();
    WalkListedWindows(hWndTraylet, ListListed, &lister);
    // The docked windows are the running copy's: its record names them, as
    // long as the record is the one that process wrote.
    DWORD pid = 0;
    if (!hWndTraylet || !GetWindowThreadProcessId(hWndTraylet, &pid))
        return;
    const CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (process)
        ForEachRecordedWindow(pid, ProcessCreationTime(process.Get()), ListDocked, &lister);
}
