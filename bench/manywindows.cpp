// Owns N titled, visible top-level windows for the benchmarks: the windows a
// tray menu lists. Runs until it is sent WM_CLOSE on any of its windows or
// killed.  usage: manywindows N [title-prefix]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}
}  // namespace

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 50;
    const char* prefix = argc > 2 ? argv[2] : "Bench window";
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = "TrayletBenchWindow";
    RegisterClassA(&wc);
    for (int i = 0; i < n; ++i) {
        char title[64];
        std::snprintf(title, sizeof title, "%s %03d", prefix, i);
        // Stacked in the top-left corner, clear of the taskbar and the menus.
        CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, title, WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                        (i % 20) * 6, (i / 20) % 10 * 6, 160, 40, nullptr, nullptr, wc.hInstance, nullptr);
    }
    std::printf("ready %d\n", n);
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
