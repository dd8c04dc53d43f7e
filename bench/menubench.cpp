// Times "right-click to painted menu" from outside the program that shows
// the menu, the same way for Traylet's popup and for the system's own:
// bring the taskbar to the foreground as a click on it does, set the
// cursor, post the tray callback (WM_RBUTTONUP), then poll the
// screen until the popup is up with text drawn in both its top and its
// bottom visible rows. Closes the popup and repeats.
//
// A new popup of the same size can show the last one's pixels before it
// paints (its window surface is not cleared under Wine). So the window that
// heads both menus' lists takes one of two titles in turn, the top row of
// each menu is first seen at rest (an opening left alone for a while), and
// an opening counts as painted once its top row is what its title gives.
//   usage: menubench traylet|reference CALLBACK-HWND RUNS
// Prints one line per opening (ms) and "median MS" at the end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The popup is looked for by its window class, which the system searches
// itself: a walk over every top-level window from here would cost as much
// as the program's own walk at a thousand windows, and would slow the
// program down while it works. Traylet's popup shares its class with the
// tray icon windows (never shown); the system's popup menu has "#32768".
HWND Popup(const char* cls, DWORD pid)
{
    for (HWND hwnd = nullptr; (hwnd = FindWindowExA(nullptr, hwnd, cls, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if ((owner == pid || !std::strcmp(cls, "#32768")) && IsWindowVisible(hwnd))
            return hwnd;
    }
    return nullptr;
}

// A band of the screen, 24 bits a pixel.
std::vector<BYTE> Grab(HDC screen, HDC mem, int left, int top, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> out(static_cast<const BYTE*>(bits), static_cast<const BYTE*>(bits) + stride * height);
    SelectObject(mem, old);
    DeleteObject(bmp);
    return out;
}

// Dark pixels: text.
bool HasText(const std::vector<BYTE>& band)
{
    for (size_t i = 0; i + 2 < band.size(); i += 3)
        if (band[i] < 0x50 && band[i + 1] < 0x50 && band[i + 2] < 0x50)
            return true;
    return false;
}

struct Bands {
    std::vector<BYTE> top, bottom;
};

Bands GrabRows(RECT rc, HDC screen, HDC mem)
{
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    rc.right = std::min<LONG>(rc.right, sw);
    rc.bottom = std::min<LONG>(rc.bottom, sh);
    const int width = std::min<int>(rc.right - rc.left - 8, 140);
    return Bands{Grab(screen, mem, rc.left + 4, rc.top + 3, width, 22),
                 Grab(screen, mem, rc.left + 4, rc.bottom - 25, width, 22)};
}

// The window both menus list first: the first visible, unowned, titled
// top-level window in z-order that is neither the taskbar nor the desktop,
// nor a window of the program measured.
struct First {
    DWORD skipPid;
    HWND found;
};

BOOL CALLBACK FindFirst(HWND hwnd, LPARAM lp)
{
    auto* f = reinterpret_cast<First*>(lp);
    char title[100] = "", cls[64] = "";
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == f->skipPid || !IsWindowVisible(hwnd) || GetParent(hwnd) || !GetWindowTextA(hwnd, title, 99))
        return TRUE;
    GetClassNameA(hwnd, cls, sizeof cls);
    if (!std::strcmp(cls, "Shell_TrayWnd") || !std::strcmp(cls, "Progman"))
        return TRUE;
    f->found = hwnd;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const bool reference = !std::strcmp(argv[1], "reference");
    HWND target = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(argv[2], nullptr, 0)));
    const int runs = std::atoi(argv[3]);
    DWORD pid = 0;
    GetWindowThreadProcessId(target, &pid);
    if (!pid)
        return 1;
    char cls[64] = "#32768";
    if (!reference)
        GetClassNameA(target, cls, sizeof cls);   // the tray icon's window: the popup's class
    const UINT callback = RegisterWindowMessageA("TrayIconCallBack");
    const UINT closeRef = RegisterWindowMessageA("TrayletBenchCloseMenu");
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> times;
    First first{pid, nullptr};
    EnumWindows(FindFirst, reinterpret_cast<LPARAM>(&first));
    char title[100] = "";
    GetWindowTextA(first.found, title, sizeof title);
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    // Opens the menu with the first window retitled for turn i, and waits
    // until its top row is `want` (or, with want empty, has text and then
    // rests); closes it and waits for the screen behind it. The time to the
    // painted menu in ms, or -1.
    auto open = [&](int turn, const std::vector<BYTE>* want, std::vector<BYTE>* seen) -> double {
        // A right-click on a tray icon is a click on the taskbar, which
        // takes the foreground from the program last used: each opening
        // starts there, so that both programs bring their owner forward from
        // another program, as they do when a user clicks.
        if (taskbar && GetForegroundWindow() != taskbar) {
            SetForegroundWindow(taskbar);
            Sleep(100);
        }
        char retitled[120];
        std::snprintf(retitled, sizeof retitled, "%s %s", title, (turn % 2) ? "(odd)" : "(even)");
        SetWindowTextA(first.found, retitled);
        SetCursorPos(1000, 740);
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        PostMessageA(target, callback, 0, WM_RBUTTONUP);
        HWND popup = nullptr;
        RECT rc{};
        bool painted = false;
        for (;;) {
            QueryPerformanceCounter(&t1);
            if ((t1.QuadPart - t0.QuadPart) / freq.QuadPart > 10)
                break;
            if (!popup)
                popup = Popup(cls, pid);
            if (popup && GetWindowRect(popup, &rc)) {
                const Bands bands = GrabRows(rc, screen, mem);
                if (HasText(bands.bottom) && (want ? bands.top == *want : HasText(bands.top))) {
                    painted = true;
                    break;
                }
            }
            // Leave the two cores to the program, the Wine server and X.
            Sleep(1);
        }
        if (!want && painted) {
            Sleep(700);
            *seen = GrabRows(rc, screen, mem).top;
        }
        if (popup) {
            if (reference)
                PostMessageA(target, closeRef, 0, 0);
            else
                PostMessageA(popup, WM_KILLFOCUS, 0, 0);
        }
        const DWORD start = GetTickCount();
        while (Popup(cls, pid) && GetTickCount() - start < 5000)
            Sleep(5);
        // The repaints of the desktop and the windows behind it are done
        // before the next opening.
        while (popup && HasText(GrabRows(rc, screen, mem).top) && GetTickCount() - start < 5000)
            Sleep(5);
        Sleep(200);
        if (!painted)
            return -1;
        return 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
    };
    std::vector<BYTE> atRest[2];
    for (int turn = 0; turn < 2; ++turn)
        if (open(turn, nullptr, &atRest[turn]) < 0) {
            std::printf("no popup\n");
            return 1;
        }
    for (int i = 0; i < runs; ++i) {
        const double ms = open(i, &atRest[i % 2], nullptr);
        if (ms < 0) {
            std::printf("run %d: no painted popup\n", i);
            SetWindowTextA(first.found, title);
            return 1;
        }
        times.push_back(ms);
        std::printf("run %d: %.2f ms\n", i, ms);
    }
    SetWindowTextA(first.found, title);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    std::sort(times.begin(), times.end());
    std::printf("median %.2f\n", times[times.size() / 2]);
    return 0;
}
