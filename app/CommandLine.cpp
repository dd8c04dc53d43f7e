#include "app/CommandLine.h"

#include "framework/ProcessId.h"

const wchar_t kCommandUsage[] =
    L"Traylet docks windows into the notification area.\r\n"
    L"\r\n"
    L"  Traylet.exe                        start Traylet (or show the running copy's Options)\r\n"
    L"  Traylet.exe /dock SELECTOR         dock every listed window the selector names\r\n"
    L"  Traylet.exe /undock SELECTOR       bring back the docked windows it names\r\n"
    L"  Traylet.exe /undock-all            bring back every docked window\r\n"
    L"  Traylet.exe [/wait N] /run PROGRAM [ARGUMENTS...]\r\n"
    L"                                     start a program and dock its first window\r\n"
    L"                                     (within N seconds, 10 unless given)\r\n"
    L"  Traylet.exe /list                  print the listed and the docked windows\r\n"
    L"\r\n"
    L"SELECTOR: title:PATTERN, program:NAME, class:PATTERN, pid:N or hwnd:0xHEX;\r\n"
    L"a bare WORD means title:*WORD*. Patterns take * and ? and ignore case.\r\n"
    L"Exit code: 0 done, 1 no window matched, 2 a bad command line.\r\n";

namespace {

bool IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

LPCWSTR SkipBlanks(LPCWSTR p)
{
    while (IsBlank(*p))
        ++p;
    return p;
}

// The next word into buf: up to a blank outside quotes, the quotes dropped.
// FALSE when it does not fit.
bool NextWord(LPCWSTR* pp, WCHAR* buf, int cch)
{
    LPCWSTR p = SkipBlanks(*pp);
    int n = 0;
    bool quoted = false;
    for (; *p && (quoted || !IsBlank(*p)); ++p) {
        if (*p == L'"') {
            quoted = !quoted;
            continue;
        }
        if (n + 1 >= cch)
            return false;
        buf[n++] = *p;
    }
    buf[n] = L'\0';
    *pp = SkipBlanks(p);
    return true;
}

bool IsVerb(LPCWSTR word, LPCWSTR name)
{
    return (word[0] == L'/' || word[0] == L'-') &&
           CompareStringOrdinal(word + 1, -1, name, -1, TRUE) == CSTR_EQUAL;
}

// At most a day.
bool ParseSeconds(LPCWSTR psz, DWORD* pdw)
{
    const WCHAR* end = ParseDecimal(psz, 86400, pdw);
    return end && *end == L'\0';
}

}  // namespace

LPCWSTR SkipProgramName(LPCWSTR psz)
{
    if (*psz == L'"') {
        ++psz;
        while (*psz && *psz != L'"')
            ++psz;
        if (*psz)
            ++psz;
    } else {
        while (*psz && !IsBlank(*psz))
            ++psz;
    }
    return SkipBlanks(psz);
}

bool ParseCommand(LPCWSTR pszArgs, Command* pCommand)
{
    Command& c = *pCommand;
    c.verb = Command::kNone;
    c.dwWaitSeconds = 10;
    c.szRun[0] = L'\0';
    LPCWSTR p = SkipBlanks(pszArgs);
    WCHAR word[WindowSelector::kMaxText + 8];
    if (!*p)
        return true;
    if (!NextWord(&p, word, ARRAYSIZE(word)))
        return false;
    if (IsVerb(word, L"wait")) {
        if (!NextWord(&p, word, ARRAYSIZE(word)) || !ParseSeconds(word, &c.dwWaitSeconds) ||
            !NextWord(&p, word, ARRAYSIZE(word)) || !IsVerb(word, L"run"))
            return false;
    }
    if (IsVerb(word, L"run")) {
        // The rest as it stands: the program's own quoting is its own.
        if (!*p || lstrlenW(p) >= Command::kMaxRun)
            return false;
        lstrcpyW(c.szRun, p);
        c.verb = Command::kRun;
        return true;
    }
    if (IsVerb(word, L"dock") || IsVerb(word, L"undock")) {
        c.verb = IsVerb(word, L"dock") ? Command::kDock : Command::kUndock;
        return NextWord(&p, word, ARRAYSIZE(word)) && ParseSelector(word, &c.selector) && !*p;
    }
    if (IsVerb(word, L"undock-all"))
        c.verb = Command::kUndockAll;
    else if (IsVerb(word, L"list"))
        c.verb = Command::kList;
    else if (IsVerb(word, L"?"))
        c.verb = Command::kHelp;
    else
        return false;
    // These take nothing more.
    return !*p;
}
