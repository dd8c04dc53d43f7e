#pragma once
#include "app/CommandLine.h"

// What a start of the program that carries a command does by itself, short
// of running as Traylet: each answers its exit code. (A /dock or /run that
// finds no copy running starts Traylet, whose dialog carries it out.)

// "/?": the usage.
int PrintUsage();
// "/list": the windows the running copy lists and has docked (or, with no
// copy running, those it would list), one line each.
int PrintWindowList();
// A command line that does not parse: said on standard error, or the
// starter's console.
int ReportBadCommandLine();

// A command for the copy that runs already, whose dialog is hWndRunning.
// /run starts the program here and waits here for its window, which it then
// hands over as "/dock hwnd:0x..." (so the running copy never waits on it);
// the others are handed over as typed, pszArgs.
int CarryOutIn(HWND hWndRunning, const Command& command, LPCWSTR pszArgs);
