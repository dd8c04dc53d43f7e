// Windows for the docking scenarios, in a process of their own.
//
//   dockwindows [SECONDS]
//       Owns three titled windows, "Dock Normal", "Dock Minimized" and
//       "Dock Maximized", in those states, and prints one line for each
//       message of interest that one of them receives:
//       "TITLE MESSAGE WPARAM sent|posted", e.g. "Dock Normal SYSCOMMAND 0xF020 sent".
//       Ends when all three are closed, or after SECONDS (default 120).
//   dockwindows many N [SECONDS]
//       Owns N titled windows in their normal state, "Many 1" to "Many N",
//       and prints nothing but "ready"; ends as the first form does.
//   dockwindows open TITLE [--also TITLE] [--owned TITLE] [--hidden TITLE]
//                          [--rename MS NEWTITLE] [--slow-hide MS]
//       Owns a window TITLE in its normal state and, as asked, another
//       unowned one, a dialog-like window that the unowned window made last
//       owns, a window never shown; renames TITLE to NEWTITLE MS
//       milliseconds after it showed; answers each hide of TITLE MS
//       milliseconds after it is hidden.
//       Prints "ready"; ends as the first form does.
//   Every window of the first three forms destroys itself on the registered
//   message "DockWindowsTool.Destroy", shows itself (SW_SHOW) on
//   "DockWindowsTool.Show" and hides itself (SW_HIDE) on "DockWindowsTool.Hide":
//   what its own program would do, on request; the program ends on
//   "DockWindowsTool.Quit" to any of its windows.
//   dockwindows window TITLE [SECONDS]
//       Owns one titled window in its normal state; prints "ready" and ends
//       as the first form does.
//   dockwindows handover TITLE
//       A launcher that hands over: starts another copy of this program as
//       "window TITLE" and ends at once, having made no window.
//   dockwindows hang TITLE SECONDS
//       Owns one titled window and stops pumping messages at once, for
//       SECONDS; then pumps until the window is closed.
//   dockwindows hotkey MODIFIERS VK SECONDS
//       Holds a global hotkey (RegisterHotKey's MOD_* flags and virtual key)
//       for SECONDS: prints "held" (or "refused ERROR" and ends), then
//       "hotkey" for every WM_HOTKEY it receives.
//   dockwindows popup
//       Prints "X Y", the screen position of the client area's top-left
//       corner of the popup menu that Traylet shows now; exit code 1 if none.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kClass[] = "DockWindowsTool";
int g_open = 0;

const char* Name(UINT message)
{
    switch (message) {
    case WM_SYSCOMMAND: return "SYSCOMMAND";
    case WM_SHOWWINDOW: return "SHOWWINDOW";
    case WM_CLOSE: return "CLOSE";
    case WM_GETICON: return "GETICON";
    case WM_ENTERMENULOOP: return "ENTERMENULOOP";
    case WM_EXITMENULOOP: return "EXITMENULOOP";
    default: return nullptr;
    }
}

HWND g_slowHide = nullptr;
DWORD g_slowHideMs = 0;

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    static const UINT destroyRequest = RegisterWindowMessageA("DockWindowsTool.Destroy");
    static const UINT showRequest = RegisterWindowMessageA("DockWindowsTool.Show");
    static const UINT quitRequest = RegisterWindowMessageA("DockWindowsTool.Quit");
    static const UINT hideRequest = RegisterWindowMessageA("DockWindowsTool.Hide");
    if (message == destroyRequest) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (message == quitRequest) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == showRequest || message == hideRequest) {
        ShowWindow(hwnd, message == showRequest ? SW_SHOW : SW_HIDE);
        return 0;
    }
    // Hidden already, but whoever hid it from another thread waits on.
    if (hwnd == g_slowHide && message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW))
        Sleep(g_slowHideMs);
    if (const char* name = Name(message)) {
        char title[64] = "";
        GetWindowTextA(hwnd, title, sizeof title);
        std::printf("%s %s 0x%lX %s\n", title, name, static_cast<unsigned long>(wParam),
                    InSendMessage() ? "sent" : "posted");
        std::fflush(stdout);
    }
    if (message == WM_DESTROY && --g_open == 0)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND Make(const char* title, int x, int y, int nCmdShow, int cx = 260, int cy = 180)
{
    HWND hwnd = CreateWindowExA(0, kClass, title, WS_OVERLAPPEDWINDOW, x, y, cx, cy, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ShowWindow(hwnd, nCmdShow);
    ++g_open;
    return hwnd;
}

void Register()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
}

void Pump()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int RunWindows(int many, int seconds, const char* title = nullptr)
{
    Register();
    if (title) {
        Make(title, 200, 200, SW_SHOWNORMAL);
    } else if (many == 0) {
        Make("Dock Normal", 60, 60, SW_SHOWNORMAL);
        Make("Dock Minimized", 340, 60, SW_SHOWMINIMIZED);
        Make("Dock Maximized", 60, 300, SW_SHOWMAXIMIZED);
    }
    for (int i = 1; i <= many; ++i) {
        char title[32];
        std::snprintf(title, sizeof title, "Many %d", i);
        Make(title, (i % 25) * 36, (i / 25) * 30, SW_SHOWNORMAL, 160, 60);
    }
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
    std::printf("ready\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd)
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

HWND g_renamed = nullptr;
const char* g_newTitle = nullptr;

void CALLBACK Rename(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    SetWindowTextA(g_renamed, g_newTitle);
}

int RunOpen(int argc, char** argv)
{
    Register();
    const HWND main = Make(argv[0], 120, 80, SW_SHOWNORMAL);
    HWND last = main;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--also") == 0) {
            last = Make(argv[i + 1], 420, 80, SW_SHOWNORMAL);
        } else if (std::strcmp(argv[i], "--owned") == 0) {
            CreateWindowExA(0, kClass, argv[i + 1], WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 460, 140, 200,
                            100, last, nullptr, GetModuleHandleA(nullptr), nullptr);
            ++g_open;
        } else if (std::strcmp(argv[i], "--hidden") == 0) {
            Make(argv[i + 1], 200, 200, SW_HIDE);
        } else if (std::strcmp(argv[i], "--rename") == 0 && i + 2 < argc) {
            g_renamed = main;
            g_newTitle = argv[i + 2];
            SetTimer(nullptr, 0, static_cast<UINT>(std::atoi(argv[i + 1])), Rename);
            ++i;
        } else if (std::strcmp(argv[i], "--slow-hide") == 0) {
            g_slowHide = main;
            g_slowHideMs = static_cast<DWORD>(std::atoi(argv[i + 1]));
        }
    }
    SetTimer(nullptr, 0, 120 * 1000, nullptr);
    std::printf("ready\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd && !msg.lParam)
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

int HandOver(const char* title)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    char command[2 * MAX_PATH];
    std::snprintf(command, sizeof command, "\"%s\" window \"%s\"", exe, title);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

int RunHung(const char* title, int seconds)
{
    Register();
    Make(title, 400, 300, SW_SHOWNORMAL);
    std::printf("hanging\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    Pump();
    return 0;
}

int HoldHotkey(UINT modifiers, UINT vk, int seconds)
{
    HWND hwnd = CreateWindowExA(0, "STATIC", "hotkey holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!RegisterHotKey(hwnd, 1, modifiers, vk)) {
        std::printf("refused %lu\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0 && !(msg.message == WM_TIMER && !msg.hwnd)) {
        if (msg.message == WM_HOTKEY) {
            std::printf("hotkey\n");
            std::fflush(stdout);
        }
        DispatchMessageA(&msg);
    }
    return 0;
}

struct PopupSearch {
    HWND dialog;
    HWND popup;
};

BOOL CALLBACK FindPopup(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<PopupSearch*>(lParam);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    // The popup is the visible one of Traylet's plain windows, owned by its
    // dialog (the tray icon windows are never shown).
    if (std::strncmp(cls, "Traylet:", 8) == 0 && IsWindowVisible(hwnd) &&
        GetWindow(hwnd, GW_OWNER) == search->dialog) {
        search->popup = hwnd;
        return FALSE;
    }
    return TRUE;
}

int PrintPopup()
{
    PopupSearch search{FindWindowA("#32770", "Traylet"), nullptr};
    if (!search.dialog)
        return 1;
    EnumWindows(FindPopup, reinterpret_cast<LPARAM>(&search));
    if (!search.popup)
        return 1;
    POINT origin{0, 0};
    ClientToScreen(search.popup, &origin);
    std::printf("%ld %ld\n", origin.x, origin.y);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "popup") == 0)
        return PrintPopup();
    if (argc == 5 && std::strcmp(argv[1], "hotkey") == 0)
        return HoldHotkey(std::strtoul(argv[2], nullptr, 0), std::strtoul(argv[3], nullptr, 0), std::atoi(argv[4]));
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "window") == 0)
        return RunWindows(0, argc > 3 ? std::atoi(argv[3]) : 120, argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "handover") == 0)
        return HandOver(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "hang") == 0)
        return RunHung(argv[2], std::atoi(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "open") == 0)
        return RunOpen(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "many") == 0)
        return RunWindows(std::atoi(argv[2]), argc > 3 ? std::atoi(argv[3]) : 120);
    return RunWindows(0, argc > 1 ? std::atoi(argv[1]) : 120);
}
