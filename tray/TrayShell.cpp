#include "tray/TrayShell.h"

namespace {

// Looked up on first use: the program also runs on shells that lack it.
HRESULT WINAPI NotifyIconGetRect(const NOTIFYICONIDENTIFIER* pIdentifier, RECT* pRect)
{
    using Fn = HRESULT(WINAPI*)(const NOTIFYICONIDENTIFIER*, RECT*);
    static const Fn fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("shell32.dll"), "Shell_NotifyIconGetRect")));
    return fn ? fn(pIdentifier, pRect) : E_NOTIMPL;
}

}  // namespace

TrayShell g_trayShell = {
    &Shell_NotifyIconA,
    &SystemParametersInfoA,
    &DrawAnimatedRects,
    &SHAppBarMessage,
    &FindWindowA,
    &NotifyIconGetRect,
};
