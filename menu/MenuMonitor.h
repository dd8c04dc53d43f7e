#pragma once
#include <windows.h>

// The monitor a popup opens on: its DPI, its rectangle and its work area
// (the monitor less the taskbar and other bars).
struct MenuMonitor {
    HMONITOR hMonitor;
    int nDpi;
    RECT rcMonitor;
    RECT rcWork;
};

// The monitor under the point, or the nearest one to it.
MenuMonitor MonitorAt(POINT pt);

// The DPI of a monitor, asked anew.
int MonitorDpi(HMONITOR hMonitor);

// The DPI of a monitor: its own where the system tells it per monitor
// (Windows 8.1 and later), else the screen's. Tests put their own here.
extern UINT (*g_pfnMenuDpiForMonitor)(HMONITOR hMonitor);
