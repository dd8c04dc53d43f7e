// A console tool for the end-to-end scripts: finds, reads and pokes windows
// of other processes on the same Wine desktop. Prints results on stdout;
// exits 0 on success, 1 when what was asked for is not so, 2 on bad usage.
#include <windows.h>

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
                 "       traydriver cursor X Y\n");
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
        if (cmd == "post")
            return PostMessageA(hwnd, msg, wp, lp) ? 0 : 1;
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
    if (cmd == "cursor" && argc == 4)
        return SetCursorPos(std::atoi(argv[2]), std::atoi(argv[3])) ? 0 : 1;
    return Usage();
}
