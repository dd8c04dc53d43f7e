// A console tool for the end-to-end scripts: prints the screen rectangle of
// a dialog's control ("left top right bottom"), so that a real pointer click
// can aim at it. Exits 1 when there is no such control, 2 on bad usage.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ctlrect DIALOG-HWND CONTROL-ID\n");
        return 2;
    }
    HWND dlg = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(argv[1], nullptr, 0)));
    HWND ctl = GetDlgItem(dlg, std::atoi(argv[2]));
    RECT rc{};
    if (!ctl || !GetWindowRect(ctl, &rc))
        return 1;
    std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    return 0;
}
