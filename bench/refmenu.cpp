// The reference for the menu benchmark: a program that answers the same
// tray callback as Traylet by listing the same windows in the system's own
// popup menu (TrackPopupMenu), with the same fixed items.
//   usage: refmenu [DLL...]   prints its window handle, runs until WM_CLOSE
// It loads the DLLs it is given first: the ones Traylet imports, so that the
// two programs' memory is compared over the same system code. It carries
// Traylet's manifest too (the same common controls, the same DPI rules).
#include <windows.h>

#include <cstdio>

namespace {

UINT g_callback = 0;
UINT g_close = 0;
HWND g_self = nullptr;

struct Builder {
    HMENU menu;
    int count;
};

// The same admission rules as Traylet's catalogue: visible, unowned, titled.
BOOL CALLBACK AddWindow(HWND hwnd, LPARAM lp)
{
    auto* b = reinterpret_cast<Builder*>(lp);
    char title[100];
    GetWindowTextA(hwnd, title, 99);
    if (!IsWindowVisible(hwnd) || GetParent(hwnd) || hwnd == g_self || !title[0])
        return TRUE;
    char cls[100];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (!lstrcmpA(cls, "Shell_TrayWnd") || !lstrcmpA(cls, "Progman"))
        return TRUE;
    AppendMenuA(b->menu, MF_STRING, 150 + b->count++, title);
    return TRUE;
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == g_callback && lp == WM_RBUTTONUP) {
        SetForegroundWindow(hwnd);
        Builder b{CreatePopupMenu(), 0};
        EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&b));
        if (b.count)
            AppendMenuA(b.menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(b.menu, MF_STRING, 140, "Minimize All");
        if (b.count)
            AppendMenuA(b.menu, MF_STRING, 144, "Close All");
        AppendMenuA(b.menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(b.menu, MF_STRING, 142, "Options");
        AppendMenuA(b.menu, MF_STRING, 141, "Exit");
        POINT pt;
        GetCursorPos(&pt);
        TrackPopupMenu(b.menu, TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd, nullptr);
        DestroyMenu(b.menu);
        PostMessageA(hwnd, WM_NULL, 0, 0);
        return 0;
    }
    if (msg == g_close) {
        EndMenu();
        return 0;
    }
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (!LoadLibraryA(argv[i])) {
            std::fprintf(stderr, "cannot load %s\n", argv[i]);
            return 1;
        }
    g_callback = RegisterWindowMessageA("TrayIconCallBack");
    g_close = RegisterWindowMessageA("TrayletBenchCloseMenu");
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TrayletReferenceMenu";
    RegisterClassA(&wc);
    g_self = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    std::printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(g_self)));
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
