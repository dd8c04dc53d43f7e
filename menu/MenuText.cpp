#include "menu/MenuText.h"

#include "framework/Text.h"

#include <cwchar>

namespace {

// Case folded for comparison, the same for every script and every user:
// the invariant locale's lower case. A text that cannot be mapped is
// compared as it is.
void Fold(LPCWSTR pszText, WCHAR* pszOut, int cchOut)
{
    const int n = lstrlenW(pszText);
    const int done = n ? LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, pszText, n, pszOut, cchOut - 1,
                                       nullptr, nullptr, 0)
                       : 0;
    if (n && !done) {
        lstrcpynW(pszOut, pszText, cchOut);
        return;
    }
    pszOut[done] = L'\0';
}

}  // namespace

int CutToWidth(LPCWSTR pszText, int nLength, const int* pnExtents, int nMaxWidth, int nEllipsisWidth)
{
    if (nLength <= 0 || pnExtents[nLength - 1] <= nMaxWidth)
        return nLength;
    int n = 0;
    while (n < nLength && pnExtents[n] + nEllipsisWidth <= nMaxWidth)
        ++n;
    if (n > 0 && IsHighSurrogate(pszText[n - 1]))
        --n;
    while (n > 0 && pszText[n - 1] == L' ')
        --n;
    return n;
}

bool ContainsNoCase(LPCWSTR pszText, LPCWSTR pszPart)
{
    if (!pszPart[0])
        return true;
    // Titles are at most 99 code units and typed text less; lower case may
    // grow a text a little, which the room here allows for.
    WCHAR text[256], part[256];
    Fold(pszText, text, 256);
    Fold(pszPart, part, 256);
    return std::wcsstr(text, part) != nullptr;
}

bool AddTyped(WCHAR* pszText, int cchText, WCHAR ch)
{
    const int n = lstrlenW(pszText);
    if (n + 1 >= cchText)
        return false;
    // The second half of a pair whose first half was refused has nothing to
    // join.
    if (IsLowSurrogate(ch) && (n == 0 || !IsHighSurrogate(pszText[n - 1])))
        return false;
    // A first half needs room for its second.
    if (IsHighSurrogate(ch) && n + 2 >= cchText)
        return false;
    pszText[n] = ch;
    pszText[n + 1] = L'\0';
    return true;
}

bool EraseTyped(WCHAR* pszText)
{
    int n = lstrlenW(pszText);
    if (n == 0)
        return false;
    --n;
    if (n > 0 && IsLowSurrogate(pszText[n]) && IsHighSurrogate(pszText[n - 1]))
        --n;
    pszText[n] = L'\0';
    return true;
}
