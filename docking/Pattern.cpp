#include "docking/Pattern.h"

#include "framework/Text.h"

namespace {

// One character, folded to upper case: a code unit, or a surrogate pair
// (left as it is: the system's folding is of single code units).
struct Char {
    DWORD code;
    int units;
};

Char At(LPCWSTR p)
{
    if (IsHighSurrogate(p[0]) && IsLowSurrogate(p[1]))
        return {static_cast<DWORD>(p[0]) << 16 | p[1], 2};
    // CharUpperW folds the one character it is given in its low word.
    const auto folded = reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(p[0]))));
    return {static_cast<DWORD>(folded & 0xFFFF), 1};
}

bool SameText(LPCWSTR a, int cchA, LPCWSTR b, int cchB)
{
    return CompareStringOrdinal(a, cchA, b, cchB, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool MatchPattern(LPCWSTR pszPattern, LPCWSTR pszText)
{
    // Greedy, with one step back to the last '*': each '*' only ever gives up
    // characters it took, so no run of stars (thousands of them) costs more
    // than one, and a match costs at most text times pattern steps.
    LPCWSTR p = pszPattern, t = pszText;
    LPCWSTR starP = nullptr, starT = nullptr;
    while (*t) {
        if (*p == L'*') {
            while (*p == L'*')
                ++p;
            if (!*p)
                return true;
            starP = p;
            starT = t;
            continue;
        }
        const Char tc = At(t);
        if (*p && (*p == L'?' || At(p).code == tc.code)) {
            p += *p == L'?' ? 1 : At(p).units;
            t += tc.units;
            continue;
        }
        if (!starP)
            return false;
        // The last '*' takes one more character.
        p = starP;
        starT += At(starT).units;
        t = starT;
    }
    while (*p == L'*')
        ++p;
    return *p == L'\0';
}

bool MatchProgram(LPCWSTR pszGiven, LPCWSTR pszPath)
{
    if (!*pszGiven)
        return false;
    bool bPath = false;
    for (LPCWSTR p = pszGiven; *p; ++p)
        bPath = bPath || *p == L'\\';
    if (bPath)
        return SameText(pszGiven, -1, pszPath, -1);
    LPCWSTR name = FileNameOf(pszPath);
    if (SameText(pszGiven, -1, name, -1))
        return true;
    // "notepad" for "notepad.exe".
    const int cchGiven = lstrlenW(pszGiven), cchName = lstrlenW(name);
    return cchName == cchGiven + 4 && SameText(name + cchGiven, 4, L".exe", 4) &&
           SameText(name, cchGiven, pszGiven, cchGiven);
}

LPCWSTR FileNameOf(LPCWSTR pszPath)
{
    LPCWSTR name = pszPath;
    for (LPCWSTR p = pszPath; *p; ++p)
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    return name;
}
