#include "tray/TrayShell.h"

TrayShell g_trayShell = {
    &Shell_NotifyIconA,
    &SystemParametersInfoA,
    &DrawAnimatedRects,
    &SHAppBarMessage,
    &FindWindowA,
};
