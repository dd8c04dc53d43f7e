#pragma once
#include "docking/Selector.h"

// The commands a start of the program can carry, after the program's name:
//   /dock SELECTOR      dock every listed window the selector names
//   /undock SELECTOR    bring back the docked windows it names
//   /undock-all         bring back every docked window
//   [/wait N] /run PROGRAM [ARGUMENTS...]
//                       start a program and dock its first listed window
//                       within N seconds (10 unless given)
//   /list               print the listed and the docked windows
//   /?                  print the usage
// Verbs are case-insensitive and may begin with '-' as well. A word with
// spaces is quoted ("title:Untitled - Notepad"); quotes anywhere in a word
// group, and are dropped, as the system's own splitting does. What follows
// /run's program is passed to it as it stands.
struct Command {
    enum Verb { kNone, kDock, kUndock, kUndockAll, kRun, kList, kHelp } verb;
    WindowSelector selector;   // kDock, kUndock
    DWORD dwWaitSeconds;       // kRun
    // kRun: the program and its arguments, a command line for CreateProcess.
    static constexpr int kMaxRun = 4096;
    WCHAR szRun[kMaxRun];
};

// Reads the arguments (the command line less the program's name). FALSE for
// a bad command line: an unknown verb, a missing, extra or malformed
// argument. No arguments is a plain start (kNone).
bool ParseCommand(LPCWSTR pszArgs, Command* pCommand);

// The arguments of a whole command line, as GetCommandLineW gives it: what
// follows the program's name, quoted or not, and the blanks after it.
LPCWSTR SkipProgramName(LPCWSTR pszCommandLine);

// The usage text that /? prints.
extern const wchar_t kCommandUsage[];
