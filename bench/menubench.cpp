// Times "right-click to painted menu" from outside the program that shows
// the menu, the same way for Traylet's popup and for the system's own:
// set the cursor, post the tray callback (WM_RBUTTONUP), then poll the
// screen until the popup is up with text drawn in both its top and its
// bottom visible rows. Closes the popup and repeats.
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

// Dark pixels (text) in a band of the screen.
bool HasText(HDC screen, HDC mem, int left, int top, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    const int stride = (width * 3 + 3) & ~3;
    bool dark = false;
    for (int y = 0; y < height && !dark; ++y) {
        const BYTE* row = static_cast<const BYTE*>(bits) + y * stride;
        for (int x = 0; x < width && !dark; ++x)
            dark = row[x * 3] < 0x50 && row[x * 3 + 1] < 0x50 && row[x * 3 + 2] < 0x50;
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    return dark;
}

bool Painted(HWND popup, HDC screen, HDC mem)
{
    RECT rc;
    if (!GetWindowRect(popup, &rc))
        return false;
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    rc.right = std::min<LONG>(rc.right, sw);
    rc.bottom = std::min<LONG>(rc.bottom, sh);
    const int width = std::min<int>(rc.right - rc.left - 8, 140);
    return HasText(screen, mem, rc.left + 4, rc.top + 3, width, 22) &&
           HasText(screen, mem, rc.left + 4, rc.bottom - 25, width, 22);
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
    for (int i = 0; i < runs; ++i) {
        SetCursorPos(1000, 740);
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        PostMessageA(target, callback, 0, WM_RBUTTONUP);
        HWND popup = nullptr;
        for (;;) {
            QueryPerformanceCounter(&t1);
            if ((t1.QuadPart - t0.QuadPart) / freq.QuadPart > 10)
                break;
            if (!popup)
                popup = Popup(cls, pid);
            if (popup && Painted(popup, screen, mem))
                break;
            // Leave the two cores to the program, the Wine server and X.
            Sleep(1);
        }
        const double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
        if (!popup) {
            std::printf("run %d: no popup\n", i);
            return 1;
        }
        times.push_back(ms);
        std::printf("run %d: %.2f ms\n", i, ms);
        if (reference)
            PostMessageA(target, closeRef, 0, 0);
        else
            PostMessageA(popup, WM_KILLFOCUS, 0, 0);
        const DWORD start = GetTickCount();
        while (Popup(cls, pid) && GetTickCount() - start < 5000)
            Sleep(5);
        Sleep(50);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    std::sort(times.begin(), times.end());
    std::printf("median %.2f\n", times[times.size() / 2]);
    return 0;
}
