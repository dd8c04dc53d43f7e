// The catalogue of dockable windows: every visible, unowned, titled top-level
// window except the shell's own and the controller dialog.
#include "docking/Docker.h"
#include "docking/ProgramIcon.h"
#include "docking/WindowCalls.h"

#include "framework/Text.h"

#include <cwchar>
#include <new>

namespace {

// The taskbar, two desktop windows and drop shadows. Compared exactly, case
// included: a class that merely resembles one of these is admitted.
const wchar_t* const kShellClasses[] = {L"Shell_TrayWnd", L"wndclass_desked_gsk", L"Progman", L"SysShadow"};

bool IsShellClass(const WCHAR* szClass)
{
    for (const wchar_t* shell : kShellClasses)
        if (std::wcscmp(szClass, shell) == 0)
            return true;
    return false;
}

// Threads that let an icon query time out while the catalogue is being
// built. Their other windows are not asked: a query queues behind the one
// still unanswered, so it could only time out in its turn, and a hung program
// with many windows would hold the menu up once per window.
struct SilentThreads {
    bool bActive = false;   // only during BuildWindowList
    int nCount = 0;
    DWORD ids[32];

    bool Has(HWND hWnd) const
    {
        if (!bActive || nCount == 0)
            return false;
        const DWORD id = GetWindowThreadProcessId(hWnd, nullptr);
        for (int i = 0; i < nCount; ++i)
            if (ids[i] == id)
                return true;
        return false;
    }
    void Add(HWND hWnd)
    {
        if (bActive && nCount < 32)
            ids[nCount++] = GetWindowThreadProcessId(hWnd, nullptr);
    }
};
SilentThreads g_silent;

// A window that does not answer in time has no icon to offer, for either
// query: the second would wait behind the first.
HICON QueryIcons(HWND hWnd)
{
    if (g_silent.Has(hWnd))
        return nullptr;
    DWORD_PTR icon = 0;
    const WPARAM types[] = {ICON_SMALL, ICON_BIG};
    for (WPARAM type : types) {
        if (!SendWithin(hWnd, WM_GETICON, type, 0, &icon)) {
            g_silent.Add(hWnd);
            return nullptr;
        }
        if (icon)
            return reinterpret_cast<HICON>(icon);
    }
    return nullptr;
}

HICON ClassIcon(HWND hWnd, int index)
{
    return reinterpret_cast<HICON>(static_cast<ULONG_PTR>(GetClassLongA(hWnd, index)));
}

}  // namespace

HICON GetWindowIcon(HWND hWnd)
{
    if (HICON icon = QueryIcons(hWnd))
        return icon;
    if (HICON icon = ClassIcon(hWnd, GCL_HICONSM))
        return icon;
    if (HICON icon = ClassIcon(hWnd, GCL_HICON))
        return icon;
    // Asks nothing of the window itself, so a hung one gets it as well.
    if (HICON icon = GetProgramIcon(hWnd))
        return icon;
    // A shared system icon: the same handle every time, so it is looked up
    // once rather than for every window of a long list.
    static const HICON standard = LoadIconA(nullptr, IDI_APPLICATION);
    return standard;
}

BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam)
{
    auto* docker = reinterpret_cast<CDocker*>(lParam);

    // Everything is read before anything is decided. The count 99 includes
    // the NUL, so a longer title is cut to 98 characters.
    WCHAR szTitle[100] = L"";
    GetWindowTextW(hwnd, szTitle, 99);
    TrimCutSurrogate(szTitle);
    const BOOL bVisible = IsWindowVisible(hwnd);
    const HWND hParent = GetParent(hwnd);
    WCHAR szClass[100] = L"";
    GetClassNameW(hwnd, szClass, 100);

    // GetParent of a top-level window is its owner: owned pop-ups (dialogs,
    // tool windows) go with the window that owns them.
    if (!bVisible || hParent || hwnd == docker->m_hWndOwner || IsShellClass(szClass) || szTitle[0] == '\0')
        return TRUE;

    // Out of memory: the window is left out of this catalogue; the next
    // rebuild tries again.
    auto* entry = new (std::nothrow) DockEntry();
    if (!entry)
        return TRUE;
    lstrcpynW(entry->szTitle, szTitle, 100);
    entry->hWnd = hwnd;
    // Only an admitted window is asked for its icon: a skipped one gets no
    // message from here.
    entry->hIcon = GetWindowIcon(hwnd);
    if (docker->m_arrWindows.Add(entry) < 0)
        delete entry;
    return TRUE;
}

void CDocker::BuildWindowList()
{
    FreeWindowList();
    g_silent.bActive = true;
    g_silent.nCount = 0;
    BeginProgramIconRun();
    EnumWindows(EnumWindowsProc, reinterpret_cast<LPARAM>(this));
    EndProgramIconRun();
    g_silent.bActive = false;
}

void CDocker::FreeWindowList()
{
    // Catalogued records own no tray icon, and their icons are borrowed.
    for (int i = 0; i < m_arrWindows.GetSize(); ++i)
        delete m_arrWindows[i];
    m_arrWindows.RemoveAll();
}
