// The catalogue of dockable windows: every visible, unowned, titled top-level
// window except the shell's own and the controller dialog.
#include "docking/Commands.h"
#include "docking/Docker.h"
#include "docking/ProgramIcon.h"
#include "docking/WindowCalls.h"

#include "framework/Text.h"

#include <cwchar>
#include <new>

namespace {

// The top-level windows of this thread's desktop in z-order, as EnumWindows
// gives them, without its check that each still exists before the callback:
// a window gone since the list was taken reads as not visible and is left
// out, and under Wine that check is a round trip to the server for every
// top-level window.
BOOL WINAPI WalkDesktop(WNDENUMPROC lpEnumFunc, LPARAM lParam)
{
    return EnumDesktopWindows(nullptr, lpEnumFunc, lParam);
}

}  // namespace

BOOL(WINAPI* g_pfnEnumWindows)(WNDENUMPROC, LPARAM) = WalkDesktop;

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

// The windows of those classes, found before a walk by asking the system for
// windows by class, so that no other window's class need be read. The
// system's search ignores case; the found windows' names are compared
// exactly.
struct ShellWindows {
    static constexpr int kMax = 64;
    HWND windows[kMax];
    int nCount = 0;
    bool bKnown = false;   // found for the walk now running, and all of them

    void Find()
    {
        nCount = 0;
        bKnown = true;
        for (const wchar_t* cls : kShellClasses)
            for (HWND hWnd = nullptr; (hWnd = FindWindowExW(nullptr, hWnd, cls, nullptr)) != nullptr;) {
                WCHAR szClass[100] = L"";
                GetClassNameW(hWnd, szClass, 100);
                if (std::wcscmp(szClass, cls) != 0)
                    continue;
                if (nCount == kMax) {
                    bKnown = false;   // too many to keep: each window's class is read instead
                    return;
                }
                windows[nCount++] = hWnd;
            }
    }
    bool Has(HWND hWnd) const
    {
        for (int i = 0; i < nCount; ++i)
            if (windows[i] == hWnd)
                return true;
        return false;
    }
};
ShellWindows g_shell;

bool IsShellWindow(HWND hWnd)
{
    if (g_shell.bKnown)
        return g_shell.Has(hWnd);
    WCHAR szClass[100] = L"";
    GetClassNameW(hWnd, szClass, 100);
    return IsShellClass(szClass);
}

// The thread and process of a window. Every lookup of one window's icon that
// needs them shares one question to the system, asked when first needed.
class WindowOwner {
public:
    explicit WindowOwner(HWND hWnd) : m_hWnd(hWnd) {}
    DWORD Thread() { Ask(); return m_tid; }
    DWORD Process() { Ask(); return m_pid; }

private:
    void Ask()
    {
        if (!m_bAsked)
            m_tid = GetWindowThreadProcessId(m_hWnd, &m_pid);
        m_bAsked = true;
    }
    HWND m_hWnd;
    DWORD m_tid = 0, m_pid = 0;
    bool m_bAsked = false;
};

// Threads that let an icon query time out in this catalogue. Their other
// windows are not asked: a query queues behind the one still unanswered, so
// it could only time out in its turn, and a hung program with many windows
// would hold the menu up once per window.
struct SilentThreads {
    bool bActive = false;   // only while the catalogue's icons are looked up
    int nCount = 0;
    DWORD ids[32];

    bool Has(WindowOwner& owner) const
    {
        if (!bActive || nCount == 0)
            return false;
        const DWORD id = owner.Thread();
        for (int i = 0; i < nCount; ++i)
            if (ids[i] == id)
                return true;
        return false;
    }
    void Add(WindowOwner& owner)
    {
        if (bActive && nCount < 32)
            ids[nCount++] = owner.Thread();
    }
};
SilentThreads g_silent;

// A window that does not answer in time has no icon to offer, for either
// query: the second would wait behind the first.
HICON QueryIcons(HWND hWnd, WindowOwner& owner)
{
    if (g_silent.Has(owner))
        return nullptr;
    DWORD_PTR icon = 0;
    const WPARAM types[] = {ICON_SMALL, ICON_BIG};
    for (WPARAM type : types) {
        if (!SendWithin(hWnd, WM_GETICON, type, 0, &icon)) {
            g_silent.Add(owner);
            return nullptr;
        }
        if (icon)
            return reinterpret_cast<HICON>(icon);
    }
    return nullptr;
}

// The pointer-sized read: on 32-bit Windows it is GetClassLongA itself.
HICON ClassIcon(HWND hWnd, int index)
{
    return reinterpret_cast<HICON>(GetClassLongPtrA(hWnd, index));
}

}  // namespace

HICON GetWindowIcon(HWND hWnd)
{
    WindowOwner owner(hWnd);
    if (HICON icon = QueryIcons(hWnd, owner))
        return icon;
    if (HICON icon = ClassIcon(hWnd, GCLP_HICONSM))
        return icon;
    if (HICON icon = ClassIcon(hWnd, GCLP_HICON))
        return icon;
    // Asks nothing of the window itself, so a hung one gets it as well.
    if (HICON icon = GetProgramIcon(owner.Process()))
        return icon;
    // A shared system icon: the same handle every time, so it is looked up
    // once rather than for every window of a long list.
    static const HICON standard = LoadIconA(nullptr, IDI_APPLICATION);
    return standard;
}

namespace {

// Whether the main menu lists hwnd, and its title as the menu shows it.
bool Admit(HWND hwnd, HWND hWndOwner, WCHAR (&szTitle)[100])
{
    // Each read below asks the system about another program's window, so
    // each is made only when the tests before it passed. A top-level window
    // is visible when its own style says so (its parent, the desktop, always
    // is), and only a pop-up or a child can have a parent or owner that
    // GetParent reports.
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    if (!(style & WS_VISIBLE) || hwnd == hWndOwner)
        return false;
    // GetParent of a top-level window is its owner: owned pop-ups (dialogs,
    // tool windows) go with the window that owns them.
    if ((style & (WS_POPUP | WS_CHILD)) && GetParent(hwnd))
        return false;
    GetWindowTitle(hwnd, szTitle);
    return szTitle[0] != L'\0' && !IsShellWindow(hwnd);
}

struct Walk {
    HWND hWndOwner;
    bool (*pfn)(HWND, LPCWSTR, void*);
    void* pContext;
};

BOOL CALLBACK WalkProc(HWND hwnd, LPARAM lParam)
{
    const Walk* walk = reinterpret_cast<const Walk*>(lParam);
    WCHAR szTitle[100];
    return !Admit(hwnd, walk->hWndOwner, szTitle) || walk->pfn(hwnd, szTitle, walk->pContext);
}

}  // namespace

void GetWindowTitle(HWND hWnd, WCHAR (&szTitle)[100])
{
    // The count 99 includes the NUL, so a longer title is cut to 98 characters.
    szTitle[0] = L'\0';
    GetWindowTextW(hWnd, szTitle, 99);
    TrimCutSurrogate(szTitle);
}

DockEntry* NewDockEntry(HWND hWnd, LPCWSTR pszTitle)
{
    auto* entry = new (std::nothrow) DockEntry();
    if (entry) {
        lstrcpynW(entry->szTitle, pszTitle, ARRAYSIZE(entry->szTitle));
        entry->hWnd = hWnd;
    }
    return entry;
}

BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam)
{
    auto* docker = reinterpret_cast<CDocker*>(lParam);
    WCHAR szTitle[100];
    if (!Admit(hwnd, docker->m_hWndOwner, szTitle))
        return TRUE;

    // Out of memory: the window is left out of this catalogue; the next
    // rebuild tries again.
    DockEntry* entry = NewDockEntry(hwnd, szTitle);
    if (!entry)
        return TRUE;
    // Only an admitted window is asked for its icon: a skipped one gets no
    // message from here.
    if (docker->m_bIconsNow)
        entry->hIcon = GetWindowIcon(hwnd);
    if (docker->m_arrWindows.Add(entry) < 0)
        delete entry;
    return TRUE;
}

bool IsListedWindow(HWND hWnd, HWND hWndTraylet, WCHAR (&szTitle)[100])
{
    return IsWindow(hWnd) && Admit(hWnd, hWndTraylet, szTitle);
}

void WalkListedWindows(HWND hWndTraylet, bool (*pfn)(HWND hWnd, LPCWSTR pszTitle, void* pContext), void* pContext)
{
    Walk walk{hWndTraylet, pfn, pContext};
    g_shell.Find();
    g_pfnEnumWindows(WalkProc, reinterpret_cast<LPARAM>(&walk));
    g_shell.bKnown = false;
}

bool CDocker::IsListed(HWND hWnd, WCHAR (&szTitle)[100]) const
{
    return IsListedWindow(hWnd, m_hWndOwner, szTitle);
}

void CDocker::WalkListed(bool (*pfn)(HWND hWnd, LPCWSTR pszTitle, void* pContext), void* pContext) const
{
    WalkListedWindows(m_hWndOwner, pfn, pContext);
}

void CDocker::BuildWindowList(bool bIcons)
{
    FreeWindowList();
    g_silent.nCount = 0;   // a new catalogue asks every thread again
    m_bIconsNow = bIcons;
    g_shell.Find();
    BeginAsking();
    g_pfnEnumWindows(EnumWindowsProc, reinterpret_cast<LPARAM>(this));
    EndAsking();
    g_shell.bKnown = false;
    m_bIconsNow = true;
}

// The threads that let a query time out are remembered for the whole
// catalogue, and consulted whenever its icons are looked up; the process
// last asked about, only within one batch.
void CDocker::BeginAsking()
{
    g_silent.bActive = true;
    BeginProgramIconRun();
}

void CDocker::EndAsking()
{
    EndProgramIconRun();
    g_silent.bActive = false;
}

DockEntry* CDocker::CatalogueEntry(UINT nID) const
{
    const UINT n = nID - ID_DOCK_FIRST;
    return n < static_cast<UINT>(m_arrWindows.GetSize()) ? m_arrWindows[static_cast<int>(n)] : nullptr;
}

MenuIcon CDocker::IconFor(UINT nID)
{
    DockEntry* entry = CatalogueEntry(nID);
    if (!entry)
        return MenuIcon{nullptr, false};
    if (!entry->hIcon) {
        entry->hIcon = m_recall.Find(entry->hWnd);
        entry->bIconRecalled = entry->hIcon != nullptr;
    }
    if (entry->bIconRecalled)
        return MenuIcon{entry->hIcon, true};
    return MenuIcon{IconOf(*entry), false};
}

HICON CDocker::AskAgain(UINT nID)
{
    DockEntry* entry = CatalogueEntry(nID);
    return entry ? IconOf(*entry) : nullptr;
}

// Docking takes the icon asked now: a recalled one may be out of date.
HICON CDocker::IconOf(DockEntry& entry)
{
    if (!entry.hIcon || entry.bIconRecalled) {
        const bool batch = !g_silent.bActive;
        if (batch)
            BeginAsking();
        entry.hIcon = GetWindowIcon(entry.hWnd);
        entry.bIconRecalled = FALSE;
        if (batch)
            EndAsking();
    }
    return entry.hIcon;
}

void CDocker::FreeWindowList()
{
    m_recall.Keep(m_arrWindows);
    // Catalogued records own no tray icon, and their icons are borrowed.
    for (int i = 0; i < m_arrWindows.GetSize(); ++i)
        delete m_arrWindows[i];
    m_arrWindows.RemoveAll();
}
