// A console tool for the end-to-end scripts: finds, reads and pokes windows
// of other processes on the same Wine desktop. Prints results on stdout;
// exits 0 on success, 1 when what was asked for is not so, 2 on bad usage.
#include <windows.h>
#include <tlhelp32.h>

#include <shellapi.h>

#include "tests/tools/ScreenSearch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND ParseHwnd(const char* s)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(s, nullptr, 0)));
}

const char* Opt(const char* s)
{
    return (std::strcmp(s, "-") == 0) ? nullptr : s;
}

// A number, or "reg:Name" for a registered message.
unsigned long ParseNumber(const char* s)
{
    if (std::strncmp(s, "reg:", 4) == 0)
        return RegisterWindowMessageA(s + 4);
    return std::strtoul(s, nullptr, 0);
}

bool WaitFor(bool (*cond)(const char*, const char*), const char* cls, const char* title, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!cond(cls, title)) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(20);
    }
    return true;
}

bool Exists(const char* cls, const char* title) { return FindWindowA(Opt(cls), Opt(title)) != nullptr; }
bool Gone(const char* cls, const char* title) { return !Exists(cls, title); }

BOOL CALLBACK ListProc(HWND hwnd, LPARAM)
{
    char cls[128] = "", title[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    std::printf("0x%lx pid=%lu visible=%d iconic=%d zoomed=%d owner=0x%lx rect=%ld,%ld,%ld,%ld class=%s title=%s\n",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)), pid, IsWindowVisible(hwnd) ? 1 : 0,
                IsIconic(hwnd) ? 1 : 0, IsZoomed(hwnd) ? 1 : 0,
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(GetWindow(hwnd, GW_OWNER))), rc.left, rc.top,
                rc.right, rc.bottom, cls, title);
    return TRUE;
}


// The catalogue as the program builds it: visible, unowned, titled top-level
// windows in EnumWindows order, less the shell's classes and the dialog.
struct Catalogue {
    HWND dialog;
    int count;
    const char* wanted;   // a title to look for, or null to print them all
    int found;
};

BOOL CALLBACK CatalogueProc(HWND hwnd, LPARAM lParam)
{
    auto* cat = reinterpret_cast<Catalogue*>(lParam);
    char title[100] = "", cls[100] = "";
    GetWindowTextA(hwnd, title, 99);
    GetClassNameA(hwnd, cls, sizeof cls);
    static const char* const shell[] = {"Shell_TrayWnd", "wndclass_desked_gsk", "Progman", "SysShadow"};
    if (!IsWindowVisible(hwnd) || GetParent(hwnd) || hwnd == cat->dialog || !title[0])
        return TRUE;
    for (const char* s : shell)
        if (std::strcmp(cls, s) == 0)
            return TRUE;
    if (!cat->wanted)
        std::printf("%d 0x%lx %s\n", cat->count, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)), title);
    else if (cat->found < 0 && std::strcmp(title, cat->wanted) == 0)
        cat->found = cat->count;
    ++cat->count;
    return TRUE;
}

int CatalogueIndex(HWND dialog, const char* title)
{
    Catalogue cat{dialog, 0, title, -1};
    EnumWindows(CatalogueProc, reinterpret_cast<LPARAM>(&cat));
    return cat.found;
}

struct PopupSearch {
    DWORD pid;
    HWND popup;
};

BOOL CALLBACK PopupProc(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<PopupSearch*>(lParam);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    // The icon windows of the program are never shown: its visible plain
    // window is a popup menu.
    if (pid == search->pid && std::strncmp(cls, "Traylet:", 8) == 0 && IsWindowVisible(hwnd)) {
        search->popup = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND VisiblePopup(HWND anyOfTheProgram)
{
    PopupSearch search{0, nullptr};
    GetWindowThreadProcessId(anyOfTheProgram, &search.pid);
    EnumWindows(PopupProc, reinterpret_cast<LPARAM>(&search));
    return search.popup;
}

// Polls until the popup is up (or gone); the milliseconds taken, or -1.
long WaitPopup(HWND icon, bool up, DWORD ms, HWND* popup)
{
    const DWORD start = GetTickCount();
    for (;;) {
        *popup = VisiblePopup(icon);
        if ((*popup != nullptr) == up)
            return static_cast<long>(GetTickCount() - start);
        if (GetTickCount() - start > ms)
            return -1;
        Sleep(5);
    }
}

// Opens the popup of an icon window as a right-click would, and closes it
// again unless asked to keep it. Prints the time it took to appear and its
// window rectangle.
int OpenMenu(HWND icon, bool keep)
{
    const UINT callback = RegisterWindowMessageA("TrayIconCallBack");
    HWND popup = nullptr;
    if (WaitPopup(icon, false, 5000, &popup) < 0)
        return 1;   // one is open already
    if (!PostMessageA(icon, callback, 0, WM_RBUTTONUP))
        return 1;
    const long ms = WaitPopup(icon, true, 10000, &popup);
    if (ms < 0)
        return 1;
    RECT rc{};
    GetWindowRect(popup, &rc);
    std::printf("ms=%ld popup=0x%lx rect=%ld,%ld,%ld,%ld\n", ms,
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(popup)), rc.left, rc.top, rc.right, rc.bottom);
    if (keep)
        return 0;
    PostMessageA(popup, WM_KILLFOCUS, 0, 0);
    return WaitPopup(icon, false, 5000, &popup) < 0 ? 1 : 0;
}

// Docks the window titled TITLE through the program's own icon: a main menu
// is composed (and closed), the window's index in that catalogue is worked
// out, and the dock command is posted as a choice of that row would.
int Dock(HWND dialog, HWND ownIcon, const char* title)
{
    if (OpenMenu(ownIcon, false) != 0) {
        std::fprintf(stderr, "the main menu did not open and close\n");
        return 1;
    }
    const int n = CatalogueIndex(dialog, title);
    if (n < 0) {
        std::fprintf(stderr, "'%s' is not in the catalogue\n", title);
        return 1;
    }
    HWND target = FindWindowA(nullptr, title);
    PostMessageA(dialog, WM_USER + 501, 150 + n, reinterpret_cast<LPARAM>(ownIcon));
    const DWORD start = GetTickCount();
    while (IsWindowVisible(target)) {
        if (GetTickCount() - start > 5000) {
            std::fprintf(stderr, "row %d posted; '%s' is still visible\n", n, title);
            return 1;
        }
        Sleep(10);
    }
    std::printf("%d\n", n);
    return 0;
}

// The command line's arguments as UTF-16: texts in any script reach the
// tool whole, where main's arguments would be cut to the ANSI code page.
std::wstring WideArg(int i)
{
    int n = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &n);
    std::wstring out = (args && i < n) ? args[i] : L"";
    LocalFree(args);
    return out;
}

HFONT FontFor(const std::wstring& kind)
{
    if (kind == L"status") {   // what the shell's tooltips draw with
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        return CreateFontIndirectW(&ncm.lfStatusFont);
    }
    LOGFONTW lf{};   // the popup's own font
    lf.lfHeight = 13;
    lf.lfWeight = kind == L"bold" ? FW_BOLD : FW_NORMAL;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    return CreateFontIndirectW(&lf);
}

// Looks for TEXT drawn in FONT (menu, bold, status) inside the screen's
// rectangle; prints where it is.
int FindText(int x, int y, int w, int h)
{
    const std::wstring font = WideArg(6), text = WideArg(7);
    HFONT hFont = FontFor(font);
    const screensearch::Mask needle = screensearch::Rendered(1000, 60, [&](HDC dc) {
        HGDIOBJ old = SelectObject(dc, hFont);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutW(dc, 4, 4, text.c_str(), static_cast<int>(text.size()));
        SelectObject(dc, old);
    });
    DeleteObject(hFont);
    POINT at{};
    if (!screensearch::Find(screensearch::ScreenMask(x, y, w, h), needle, &at))
        return 1;
    std::printf("%ld %ld\n", x + at.x, y + at.y);
    return 0;
}

// Looks for the icon of FILE (its first small icon; "-" for the standard
// application icon) as the popup draws it: at 32 x 32, shrunk to 16 x 16.
int FindIcon(int x, int y, int w, int h)
{
    const std::wstring file = WideArg(6);
    HICON icon = nullptr;
    if (file == L"-")
        icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    else if (ExtractIconExW(file.c_str(), 0, nullptr, &icon, 1) == 0)
        return 2;
    const screensearch::Mask needle = screensearch::Rendered(24, 24, [&](HDC dc) {
        HDC big = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, 32, 32);
        HGDIOBJ old = SelectObject(big, bmp);
        RECT all{0, 0, 32, 32};
        FillRect(big, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawIcon(big, 0, 0, icon);
        StretchBlt(dc, 4, 4, 16, 16, big, 0, 0, 32, 32, SRCCOPY);
        SelectObject(big, old);
        DeleteObject(bmp);
        DeleteDC(big);
    });
    POINT at{};
    if (!screensearch::Find(screensearch::ScreenMask(x, y, w, h), needle, &at))
        return 1;
    std::printf("%ld %ld\n", x + at.x, y + at.y);
    return 0;
}

// The running processes of an executable name, "PID PARENT CREATED" a line;
// CREATED is the creation time in 16 hex digits, as a guard's command line
// gives it, or "-".
int Processes(const char* exe)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 1;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exe) != 0)
            continue;
        char created[20] = "-";
        if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
            FILETIME c{}, e{}, k{}, u{};
            if (GetProcessTimes(process, &c, &e, &k, &u))
                std::snprintf(created, sizeof created, "%08lX%08lX", c.dwHighDateTime, c.dwLowDateTime);
            CloseHandle(process);
        }
        std::printf("%lu %lu %s\n", entry.th32ProcessID, entry.th32ParentProcessID, created);
    }
    CloseHandle(snapshot);
    return 0;
}

// The middle of a window's minimize button, found by asking the window
// what lies under the points along its caption, right to left.
int MinimizeButton(HWND hwnd)
{
    RECT rc{};
    if (!GetWindowRect(hwnd, &rc))
        return 1;
    const int y = rc.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int right = -1, left = -1;
    for (int x = rc.right - 1; x > rc.left && left < 0; --x) {
        DWORD_PTR hit = 0;
        if (!SendMessageTimeoutA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit))
            return 1;
        if (hit == HTMINBUTTON && right < 0)
            right = x;
        else if (hit != HTMINBUTTON && right >= 0)
            left = x + 1;
    }
    if (right < 0)
        return 1;
    std::printf("%d %d\n", (left + right) / 2, y);
    return 0;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: traydriver find CLASS|- TITLE|-\n"
                 "       traydriver wait-window CLASS|- TITLE|- MS\n"
                 "       traydriver wait-gone CLASS|- TITLE|- MS\n"
                 "       traydriver state HWND\n"
                 "       traydriver list\n"
                 "       traydriver post|send HWND MSG WPARAM LPARAM   (MSG may be reg:Name)\n"
                 "       traydriver check HWND ID\n"
                 "       traydriver pixel X Y\n"
                 "       traydriver cursor X Y\n"
                 "       traydriver catalogue DLG                 admissible windows in order\n"
                 "       traydriver open-menu ICON [keep]         post a right-click, time the popup\n"
                 "       traydriver dock DLG OWNICON TITLE        dock a window as its menu row would\n"
                 "       traydriver hung HWND                     0 when the window counts as hung\n"
                 "       traydriver find-text X Y W H FONT TEXT   TEXT drawn in FONT (menu|bold|status) there\n"
                 "       traydriver find-icon X Y W H FILE|-      FILE's small icon as the popup draws it\n"
                 "       traydriver procs EXE                     running processes of EXE: PID PARENT CREATED\n"
                 "       traydriver foreground                    the foreground window\n"
                 "       traydriver text DLG ID                   the text of a dialog's control\n"
                 "       traydriver workarea                      the primary work area: LEFT TOP RIGHT BOTTOM\n"
                 "       traydriver focus                         foreground=HWND focus=HWND (its thread's focus)\n"
                 "       traydriver settext HWND TEXT             gives the window a new title, as its program would\n"
                 "       traydriver min-button HWND               X Y of the window's minimize button\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string cmd = argv[1];
    if (cmd == "find" && argc == 4) {
        HWND hwnd = FindWindowA(Opt(argv[2]), Opt(argv[3]));
        if (!hwnd)
            return 1;
        std::printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)));
        return 0;
    }
    if (cmd == "wait-window" && argc == 5)
        return WaitFor(Exists, argv[2], argv[3], std::strtoul(argv[4], nullptr, 0)) ? 0 : 1;
    if (cmd == "wait-gone" && argc == 5)
        return WaitFor(Gone, argv[2], argv[3], std::strtoul(argv[4], nullptr, 0)) ? 0 : 1;
    if (cmd == "state" && argc == 3) {
        HWND hwnd = ParseHwnd(argv[2]);
        if (!IsWindow(hwnd))
            return 1;
        ListProc(hwnd, 0);
        return 0;
    }
    if (cmd == "list" && argc == 2) {
        EnumWindows(ListProc, 0);
        return 0;
    }
    if ((cmd == "post" || cmd == "send") && argc == 6) {
        HWND hwnd = ParseHwnd(argv[2]);
        const UINT msg = ParseNumber(argv[3]);
        const WPARAM wp = ParseNumber(argv[4]);
        const LPARAM lp = static_cast<LPARAM>(ParseNumber(argv[5]));
        if (cmd == "post") {
            if (PostMessageA(hwnd, msg, wp, lp))
                return 0;
            std::fprintf(stderr, "PostMessage failed: error %lu\n", GetLastError());
            return 1;
        }
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, 10000, &result))
            return 1;
        std::printf("%lu\n", static_cast<unsigned long>(result));
        return 0;
    }
    if (cmd == "check" && argc == 4) {
        const LRESULT state = SendDlgItemMessageA(ParseHwnd(argv[2]), std::atoi(argv[3]), BM_GETCHECK, 0, 0);
        std::printf("%ld\n", static_cast<long>(state));
        return 0;
    }
    if (cmd == "pixel" && argc == 4) {
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, std::atoi(argv[2]), std::atoi(argv[3]));
        ReleaseDC(nullptr, screen);
        std::printf("%02X%02X%02X\n", GetRValue(c), GetGValue(c), GetBValue(c));
        return 0;
    }
    if (cmd == "catalogue" && argc == 3) {
        Catalogue cat{ParseHwnd(argv[2]), 0, nullptr, -1};
        EnumWindows(CatalogueProc, reinterpret_cast<LPARAM>(&cat));
        return 0;
    }
    if (cmd == "open-menu" && (argc == 3 || (argc == 4 && std::strcmp(argv[3], "keep") == 0)))
        return OpenMenu(ParseHwnd(argv[2]), argc == 4);
    if (cmd == "dock" && argc == 5)
        return Dock(ParseHwnd(argv[2]), ParseHwnd(argv[3]), argv[4]);
    if (cmd == "hung" && argc == 3)
        return IsHungAppWindow(ParseHwnd(argv[2])) ? 0 : 1;
    if ((cmd == "find-text" && argc == 8) || (cmd == "find-icon" && argc == 7)) {
        const int x = std::atoi(argv[2]), y = std::atoi(argv[3]), w = std::atoi(argv[4]), h = std::atoi(argv[5]);
        return cmd == "find-text" ? FindText(x, y, w, h) : FindIcon(x, y, w, h);
    }
    if (cmd == "procs" && argc == 3)
        return Processes(argv[2]);
    if (cmd == "foreground" && argc == 2) {
        std::printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(GetForegroundWindow())));
        return 0;
    }
    if (cmd == "text" && argc == 4) {
        char text[256] = "";
        if (!GetDlgItemTextA(ParseHwnd(argv[2]), std::atoi(argv[3]), text, sizeof text) && GetLastError())
            return 1;
        std::printf("%s\n", text);
        return 0;
    }
    if (cmd == "focus" && argc == 2) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(0, &info);
        std::printf("foreground=0x%lx focus=0x%lx\n",
                    static_cast<unsigned long>(reinterpret_cast<uintptr_t>(GetForegroundWindow())),
                    static_cast<unsigned long>(reinterpret_cast<uintptr_t>(info.hwndFocus)));
        return 0;
    }
    if (cmd == "workarea" && argc == 2) {
        RECT rc{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0);
        std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
        return 0;
    }
    if (cmd == "min-button" && argc == 3)
        return MinimizeButton(ParseHwnd(argv[2]));
    if (cmd == "settext" && argc == 4) {
        // Wide, and sent: the title is the window's own once this returns.
        const std::wstring text = WideArg(3);
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(ParseHwnd(argv[2]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                   SMTO_ABORTIFHUNG, 5000, &result) && result ? 0 : 1;
    }
    if (cmd == "cursor" && argc == 4)
        return SetCursorPos(std::atoi(argv[2]), std::atoi(argv[3])) ? 0 : 1;
    return Usage();
}
