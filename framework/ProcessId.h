#pragma once
#include <windows.h>

// A count the program reads from text any program can write (a record's
// value name, the guard's or a user's command line): one to ten decimal
// digits, not zero, at most nMax; no sign, no space.
//
// Returns where the digits end (the caller says what may follow them), or
// null when no such number starts at psz; *pValue is set only on success.
template <class Char>
const Char* ParseDecimal(const Char* psz, DWORD nMax, DWORD* pValue)
{
    ULONGLONG value = 0;
    int digits = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz) {
        if (++digits > 10)
            return nullptr;
        value = value * 10 + static_cast<ULONGLONG>(*psz - '0');
    }
    if (digits == 0 || value == 0 || value > nMax)
        return nullptr;
    *pValue = static_cast<DWORD>(value);
    return psz;
}

// A process id as the program writes one, in a record's value name and on
// the guard's command line, and as a user gives one: anything within 32 bits.
template <class Char>
const Char* ParseProcessId(const Char* psz, DWORD* pId)
{
    return ParseDecimal(psz, 0xFFFFFFFFu, pId);
}
