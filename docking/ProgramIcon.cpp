#include "docking/ProgramIcon.h"

#include "framework/Handle.h"

#include <shellapi.h>

#include <new>

BOOL(WINAPI* g_pfnQueryFullProcessImageNameW)(HANDLE, DWORD, LPWSTR, PDWORD) = QueryFullProcessImageNameW;

namespace {

// One icon per program file. A handful of programs own every window on a
// desktop; the bound keeps a desktop of many programs from growing the
// process without end (the programs past it get the standard icon).
struct ProgramIcons {
    static constexpr int kMax = 64;
    struct Entry {
        WCHAR szPath[MAX_PATH];
        HICON hIcon;   // null: the file has no icon to give
    };
    Entry* entries[kMax];   // made as programs are met
    int nCount;

    const Entry* Find(const WCHAR* path) const
    {
        for (int i = 0; i < nCount; ++i)
            if (lstrcmpiW(entries[i]->szPath, path) == 0)
                return entries[i];
        return nullptr;
    }
};
ProgramIcons g_icons;

// The process of the last window asked about in this run, and its icon.
bool g_inRun = false;
DWORD g_lastPid = 0;
HICON g_lastIcon = nullptr;

bool ImagePath(DWORD pid, WCHAR (&path)[MAX_PATH])
{
    const CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return false;
    DWORD cch = MAX_PATH;
    const BOOL ok = g_pfnQueryFullProcessImageNameW(process.Get(), 0, path, &cch);
    return ok && cch > 0 && cch < MAX_PATH;
}

}  // namespace

void BeginProgramIconRun()
{
    g_inRun = true;
    g_lastPid = 0;
    g_lastIcon = nullptr;
}

void EndProgramIconRun()
{
    g_inRun = false;
}

HICON GetProgramIcon(DWORD pid)
{
    if (!pid)
        return nullptr;
    if (g_inRun && pid == g_lastPid)
        return g_lastIcon;

    WCHAR path[MAX_PATH] = L"";
    if (!ImagePath(pid, path))
        return nullptr;
    HICON icon = nullptr;
    if (const ProgramIcons::Entry* known = g_icons.Find(path)) {
        icon = known->hIcon;
    } else if (g_icons.nCount < ProgramIcons::kMax) {
        auto* entry = new (std::nothrow) ProgramIcons::Entry;
        if (!entry)
            return nullptr;   // asked again next time
        // The small icon: what a window's own ICON_SMALL would have been.
        if (ExtractIconExW(path, 0, nullptr, &icon, 1) == 0)
            icon = nullptr;
        lstrcpynW(entry->szPath, path, MAX_PATH);
        entry->hIcon = icon;
        g_icons.entries[g_icons.nCount++] = entry;
    }
    g_lastPid = pid;
    g_lastIcon = icon;
    return icon;
}
