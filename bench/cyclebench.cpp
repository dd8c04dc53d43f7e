// Drives Traylet from outside for the growth and idle benchmarks.
//   cyclebench menu ICON DIALOG COUNT   open and close the main menu COUNT times
//   cyclebench dock ICON DIALOG COUNT   dock and undock a listed window COUNT times
//   cyclebench dockn ICON DIALOG N      dock the first N listed windows and stay
//   cyclebench counts PID               kernel handles and windows of a process
//   cyclebench ownicon DIALOG           Traylet's own tray icon window (nothing docked)
//   cyclebench pid HWND                 the process id of a window
// ICON is Traylet's own tray icon window, DIALOG its controller dialog.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT WM_TRAY_COMMAND = WM_USER + 501;
UINT g_callback;

HWND Hwnd(const char* s) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(s, nullptr, 0))); }

struct Find {
    DWORD pid;
    DWORD style;
    HWND skip;
    HWND found;
    int count;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp)
{
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != f->pid || hwnd == f->skip)
        return TRUE;
    ++f->count;
    if (!f->found && f->style && (static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & f->style) == f->style &&
        (f->style != WS_POPUP || !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)))
        f->found = hwnd;
    return TRUE;
}

DWORD PidOf(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

HWND VisiblePopup(DWORD pid)
{
    Find f{pid, WS_POPUP | WS_CHILD | WS_VISIBLE, nullptr, nullptr, 0};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

template <class F> bool WaitFor(F cond, DWORD ms = 5000)
{
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(1);
    }
    return true;
}

bool OpenAndCloseMenu(HWND icon, DWORD pid)
{
    PostMessageA(icon, g_callback, 0, WM_RBUTTONUP);
    HWND popup = nullptr;
    if (!WaitFor([&] { return (popup = VisiblePopup(pid)) != nullptr; }))
        return false;
    PostMessageA(popup, WM_KILLFOCUS, 0, 0);
    // Closed, its window is hidden: it is kept for the next popup.
    return WaitFor([&] { return !IsWindowVisible(popup); });
}

// A tray icon window other than the ones we know: a WS_POPUP (not a popup
// menu) of Traylet's process whose class is one of Traylet's own.
struct IconSearch {
    DWORD pid;
    HWND own, dialog, found;
};

BOOL CALLBACK IconProc(HWND hwnd, LPARAM lp)
{
    auto* c = reinterpret_cast<IconSearch*>(lp);
    DWORD p = 0;
    GetWindowThreadProcessId(hwnd, &p);
    char cls[64];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (p == c->pid && hwnd != c->own && hwnd != c->dialog && !std::strncmp(cls, "Traylet:", 8) &&
        !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        c->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND NewIconWindow(DWORD pid, HWND own, HWND dialog)
{
    IconSearch ctx{pid, own, dialog, nullptr};
    EnumWindows(IconProc, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

struct IconCount {
    IconSearch search;
    int n;
};

BOOL CALLBACK CountIconProc(HWND hwnd, LPARAM lp)
{
    auto* c = reinterpret_cast<IconCount*>(lp);
    c->search.found = nullptr;
    IconProc(hwnd, reinterpret_cast<LPARAM>(&c->search));
    c->n += c->search.found != nullptr;
    return TRUE;
}

int CountIconWindows(DWORD pid, HWND own, HWND dialog)
{
    IconCount ctx{{pid, own, dialog, nullptr}, 0};
    EnumWindows(CountIconProc, reinterpret_cast<LPARAM>(&ctx));
    return ctx.n;
}

void PrintCounts(DWORD pid)
{
    DWORD handles = 0;
    if (HANDLE proc = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid)) {
        GetProcessHandleCount(proc, &handles);
        CloseHandle(proc);
    }
    Find f{pid, 0, nullptr, nullptr, 0};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
    std::printf("handles %lu windows %d\n", handles, f.count);
}

}  // namespace

int main(int argc, char** argv)
{
    g_callback = RegisterWindowMessageA("TrayIconCallBack");
    if (argc == 3 && !std::strcmp(argv[1], "counts")) {
        PrintCounts(std::strtoul(argv[2], nullptr, 0));
        return 0;
    }
    if (argc == 3 && !std::strcmp(argv[1], "pid")) {
        std::printf("%lu\n", PidOf(Hwnd(argv[2])));
        return 0;
    }
    if (argc == 3 && !std::strcmp(argv[1], "ownicon")) {
        HWND dialog = Hwnd(argv[2]);
        HWND own = NewIconWindow(PidOf(dialog), nullptr, dialog);
        if (!own)
            return 1;
        std::printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(own)));
        return 0;
    }
    if (argc != 5)
        return 2;
    const std::string mode = argv[1];
    HWND icon = Hwnd(argv[2]), dialog = Hwnd(argv[3]);
    const int count = std::atoi(argv[4]);
    const DWORD pid = PidOf(icon);
    if (!pid)
        return 1;
    if (mode == "menu") {
        for (int i = 0; i < count; ++i)
            if (!OpenAndCloseMenu(icon, pid)) {
                std::printf("menu %d did not open or close\n", i);
                return 1;
            }
        std::printf("menu cycles %d\n", count);
        return 0;
    }
    if (mode == "dockn") {
        for (int i = 0; i < count; ++i) {
            if (!OpenAndCloseMenu(icon, pid))   // rebuilds the catalogue
                return 1;
            const int before = CountIconWindows(pid, icon, dialog);
            PostMessageA(dialog, WM_TRAY_COMMAND, 150, reinterpret_cast<LPARAM>(icon));
            if (!WaitFor([&] { return CountIconWindows(pid, icon, dialog) == before + 1; }))
                return 1;
        }
        std::printf("docked %d\n", count);
        return 0;
    }
    if (mode == "dock") {
        if (!OpenAndCloseMenu(icon, pid))
            return 1;
        for (int i = 0; i < count; ++i) {
            PostMessageA(dialog, WM_TRAY_COMMAND, 150, reinterpret_cast<LPARAM>(icon));
            HWND docked = nullptr;
            if (!WaitFor([&] { return (docked = NewIconWindow(pid, icon, dialog)) != nullptr; })) {
                std::printf("dock %d failed\n", i);
                return 1;
            }
            // A double-click on the docked icon: rebuild, then undock.
            PostMessageA(dialog, WM_TRAY_COMMAND, 140, reinterpret_cast<LPARAM>(docked));
            if (!WaitFor([&] { return !IsWindow(docked); })) {
                std::printf("undock %d failed\n", i);
                return 1;
            }
        }
        std::printf("dock cycles %d\n", count);
        return 0;
    }
    return 2;
}
