#include "tray/TrayShell.h"

TrayShell g_trayShell = {
    &Shell_NotifyIconW,
    &SystemParametersInfoA,
    &DrawAnimatedRects,
    &SHAppBarMessage,
    &FindWindowA,
};
