#pragma once
#include "framework/Handle.h"

// Text for whoever started the program, which has no window of its own to
// show it in. A GUI program has a standard handle only when its starter gave
// it one: a console, or a pipe or a file (`Traylet.exe /list | more`,
// `> windows.txt`), which get UTF-8. Without one, the text goes to the
// console of the process that started it, if that has one (a command
// prompt); from a shortcut it goes nowhere.
class COutput {
public:
    // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
    explicit COutput(DWORD nStdHandle);
    COutput(const COutput&) = delete;
    COutput& operator=(const COutput&) = delete;

    void Write(LPCWSTR psz);

private:
    HANDLE m_hOut = nullptr;   // the standard handle, or m_console's
    bool m_bConsole = false;   // written with WriteConsoleW
    CHandle m_console;         // the starter's console, opened here
};
