// Keeps the Wine desktop (and its taskbar) alive between test programs: the
// desktop goes away when the last program with a window ends.
#include <windows.h>

int main()
{
    CreateWindowExA(0, "STATIC", "desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
