#pragma once
#include <windows.h>

// Text is UTF-16 throughout. A cut to a fixed number of code units must not
// leave half of a surrogate pair at its end: that half would draw as a box
// or be refused by whoever reads the text next.

inline bool IsHighSurrogate(WCHAR c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

inline bool IsLowSurrogate(WCHAR c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Drops a high surrogate left alone at the end of a text that was cut.
inline void TrimCutSurrogate(WCHAR* text)
{
    const int n = lstrlenW(text);
    if (n > 0 && IsHighSurrogate(text[n - 1]))
        text[n - 1] = L'\0';
}

// Copies at most cchDest - 1 code units of pszSrc (null copies as empty) and
// the NUL, cutting before a surrogate pair that would not fit whole.
inline void CopyText(WCHAR* pszDest, int cchDest, LPCWSTR pszSrc)
{
    lstrcpynW(pszDest, pszSrc ? pszSrc : L"", cchDest);
    if (pszSrc && lstrlenW(pszSrc) >= cchDest)
        TrimCutSurrogate(pszDest);
}
