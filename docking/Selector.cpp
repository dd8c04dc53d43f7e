#include "docking/Selector.h"

#include "docking/Pattern.h"
#include "framework/ProcessId.h"

namespace {

// The text after a kind's prefix ("title:"), or null when psz has another.
LPCWSTR AfterPrefix(LPCWSTR psz, LPCWSTR pszPrefix)
{
    const int cch = lstrlenW(pszPrefix);
    if (lstrlenW(psz) < cch || CompareStringOrdinal(psz, cch, pszPrefix, cch, TRUE) != CSTR_EQUAL)
        return nullptr;
    return psz + cch;
}

bool SetText(WindowSelector* pSelector, LPCWSTR pszBefore, LPCWSTR psz, LPCWSTR pszAfter)
{
    const int cch = lstrlenW(pszBefore) + lstrlenW(psz) + lstrlenW(pszAfter);
    if (*psz == L'\0' || cch >= WindowSelector::kMaxText)
        return false;
    lstrcpyW(pSelector->szText, pszBefore);
    lstrcatW(pSelector->szText, psz);
    lstrcatW(pSelector->szText, pszAfter);
    return true;
}

bool ParsePid(LPCWSTR psz, DWORD* pdwPid)
{
    const WCHAR* end = ParseProcessId(psz, pdwPid);
    return end && *end == L'\0';
}

// Window handles are 32-bit values on 64-bit Windows too: at most eight hex
// digits, sign-extended as the system widens a handle.
bool ParseHandle(LPCWSTR psz, HWND* phWnd)
{
    if (psz[0] == L'0' && (psz[1] == L'x' || psz[1] == L'X'))
        psz += 2;
    DWORD value = 0;
    int digits = 0;
    for (; *psz; ++psz, ++digits) {
        const WCHAR c = *psz;
        int digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        if (digits == 8)
            return false;
        value = value << 4 | static_cast<DWORD>(digit);
    }
    if (digits == 0 || value == 0)
        return false;
    *phWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
    return true;
}

}  // namespace

bool ParseSelector(LPCWSTR psz, WindowSelector* pSelector)
{
    WindowSelector& s = *pSelector;
    s.szText[0] = L'\0';
    s.dwPid = 0;
    s.hWnd = nullptr;
    if (LPCWSTR rest = AfterPrefix(psz, L"title:")) {
        s.kind = WindowSelector::kTitle;
        return SetText(&s, L"", rest, L"");
    }
    if (LPCWSTR rest = AfterPrefix(psz, L"program:")) {
        s.kind = WindowSelector::kProgram;
        return SetText(&s, L"", rest, L"");
    }
    if (LPCWSTR rest = AfterPrefix(psz, L"class:")) {
        s.kind = WindowSelector::kClass;
        return SetText(&s, L"", rest, L"");
    }
    if (LPCWSTR rest = AfterPrefix(psz, L"pid:")) {
        s.kind = WindowSelector::kPid;
        return ParsePid(rest, &s.dwPid);
    }
    if (LPCWSTR rest = AfterPrefix(psz, L"hwnd:")) {
        s.kind = WindowSelector::kHandle;
        return ParseHandle(rest, &s.hWnd);
    }
    s.kind = WindowSelector::kTitle;
    return SetText(&s, L"*", psz, L"*");
}

bool SelectorMatches(const WindowSelector& selector, const WindowFacts& facts)
{
    switch (selector.kind) {
    case WindowSelector::kTitle:
        return facts.pszTitle && MatchPattern(selector.szText, facts.pszTitle);
    case WindowSelector::kProgram:
        return facts.pszProgram && MatchProgram(selector.szText, facts.pszProgram);
    case WindowSelector::kClass:
        return facts.pszClass && MatchPattern(selector.szText, facts.pszClass);
    case WindowSelector::kPid:
        return facts.dwPid == selector.dwPid;
    case WindowSelector::kHandle:
        return facts.hWnd == selector.hWnd;
    }
    return false;
}
