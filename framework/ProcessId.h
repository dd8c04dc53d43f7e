#pragma once
#include <windows.h>

// A process id as the program writes one, in a record's value name and on
// the guard's command line: one to ten decimal digits, not zero, within 32
// bits; no sign, no space, no leading zeros beyond ten digits. Both are read
// from places any program can write, so nothing else passes.
//
// Returns where the digits end (the caller says what may follow them), or
// null when no such id starts at psz; *pId is set only on success.
template <class Char>
const Char* ParseProcessId(const Char* psz, DWORD* pId)
{
    ULONGLONG value = 0;
    int digits = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz) {
        if (++digits > 10)
            return nullptr;
        value = value * 10 + static_cast<ULONGLONG>(*psz - '0');
    }
    if (digits == 0 || value == 0 || value > 0xFFFFFFFFull)
        return nullptr;
    *pId = static_cast<DWORD>(value);
    return psz;
}
