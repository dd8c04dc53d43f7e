// The shell's registered messages, which belong to the tray icons: the
// numbers are theirs to keep, and everyone else only reads them.
#include "tray/TrayIcon.h"

namespace {

UINT g_uTaskbarCreated = 0;
UINT g_uTrayIconCallback = 0;

}  // namespace

// Bound at compile time, so that they are in place before any static
// initialisation runs.
const UINT& WM_TASKBARCREATED = g_uTaskbarCreated;
const UINT& WM_TRAYICON_CALLBACK = g_uTrayIconCallback;

void RegisterTrayMessages()
{
    g_uTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    g_uTrayIconCallback = RegisterWindowMessageA("TrayIconCallBack");
}
