#pragma once
// The program's version, in the one place the version block, the build and
// the release archive take it from.
#define TRAYLET_VERSION_MAJOR 2
#define TRAYLET_VERSION_MINOR 0
#define TRAYLET_VERSION_PATCH 0
#define TRAYLET_VERSION_BUILD 5
#define TRAYLET_VERSION_TEXT "2.0.0.5"
