// Another program's dialog captioned "Traylet". Prints each WM_COMMAND it
// receives as "command WPARAM LPARAM" and ends after the first one, or after
// the number of seconds given (default 20) with exit code 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND) {
        std::printf("command %lu %ld\n", static_cast<unsigned long>(wp), static_cast<long>(lp));
        std::fflush(stdout);
        PostQuitMessage(0);
        return TRUE;
    }
    if (msg == WM_TIMER) {
        DestroyWindow(hwnd);
        PostQuitMessage(1);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int main(int argc, char** argv)
{
    // An empty template with the caption; the dialog stays hidden.
    alignas(4) static WORD tmpl[64] = {};
    auto* dt = reinterpret_cast<DLGTEMPLATE*>(tmpl);
    dt->style = WS_POPUP | WS_CAPTION;
    dt->cx = 100;
    dt->cy = 50;
    WORD* p = reinterpret_cast<WORD*>(dt + 1);
    *p++ = 0;   // no menu
    *p++ = 0;   // standard class
    for (const char* c = "Traylet"; *c; ++c)
        *p++ = static_cast<WORD>(*c);
    *p++ = 0;
    HWND dlg = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dt, nullptr, Proc, 0);
    if (!dlg)
        return 2;
    SetTimer(dlg, 1, (argc > 1 ? std::atoi(argv[1]) : 20) * 1000, nullptr);
    std::printf("ready\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return static_cast<int>(msg.wParam);
}
