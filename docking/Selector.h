#pragma once
#include <windows.h>

// Which windows a command of the command line names: "title:PATTERN",
// "program:NAME", "class:PATTERN", "pid:N" or "hwnd:0xHEX"; any other word W
// means "title:*W*". Patterns are those of MatchPattern, program names those
// of MatchProgram.
struct WindowSelector {
    enum Kind { kTitle, kProgram, kClass, kPid, kHandle } kind;
    // The pattern or program name; longer ones are refused.
    static constexpr int kMaxText = 1024;
    WCHAR szText[kMaxText];
    DWORD dwPid;
    HWND hWnd;
};

// FALSE for what names nothing a window could have: an empty pattern or
// name, a pid that is not a decimal number from 1 to 4294967295, a handle
// that is not hexadecimal (0x optional) or is 0, a text too long.
bool ParseSelector(LPCWSTR psz, WindowSelector* pSelector);

// What a selector is matched against. Only what the selector's kind reads
// need be given (the others may be null or 0).
struct WindowFacts {
    HWND hWnd;
    DWORD dwPid;
    LPCWSTR pszTitle;
    LPCWSTR pszClass;
    LPCWSTR pszProgram;   // the full path of the window's program file
};

bool SelectorMatches(const WindowSelector& selector, const WindowFacts& facts);

// The answers of a command on windows, which are also the exit codes of a
// start of the program that carried one.
enum CommandResult : int {
    kCommandDone = 0,
    kCommandNoMatch = 1,   // no window matched
    kCommandBad = 2,       // a bad command line
};
