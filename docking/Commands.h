#pragma once
#include "tray/TrayIcon.h"

// The command vocabulary of both popup menus: the wParam of WM_TRAY_COMMAND.
enum : unsigned {
    // A docked window's rows after its Exit: the rules for its program.
    ID_RULE_OPENS = 130,
    ID_RULE_MINIMIZED = 131,
    ID_MINIMIZE_ALL = ID_TRAY_DOUBLECLICK,   // also what a double-click on an icon posts
    ID_APP_EXIT_TRAY = 141,
    ID_OPTIONS = 142,
    ID_UNDOCK_ALL = 143,
    ID_CLOSE_ALL = 144,
    ID_UNDOCK = 145,
    ID_RESTORE = 146,
    ID_MINIMIZE = 147,
    ID_MAXIMIZE = 148,
    ID_CLOSE_WINDOW = 149,
    ID_DOCK_FIRST = 150,   // + index into the catalogue
};
