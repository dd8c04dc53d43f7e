// Plays the shell's part for the end-to-end scripts: takes another process's
// notification-area icon away, and announces a new taskbar as a restarted
// shell does. Exits 0 when the call succeeded, 1 when it did not, 2 on bad
// usage.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "delete") == 0) {
        NOTIFYICONDATAA nid{};
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(argv[2], nullptr, 0)));
        nid.uID = 0;
        const BOOL ok = Shell_NotifyIconA(NIM_DELETE, &nid);
        std::printf("%d\n", ok ? 1 : 0);
        return ok ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "taskbar-created") == 0) {
        const UINT msg = RegisterWindowMessageA("TaskbarCreated");
        return PostMessageA(HWND_BROADCAST, msg, 0, 0) ? 0 : 1;
    }
    std::fprintf(stderr,
                 "usage: trayshell delete HWND        (icon id 0)\n"
                 "       trayshell taskbar-created\n");
    return 2;
}
