#pragma once
#include "framework/Owner.h"

// The registry, in UTF-16 throughout: a key name or a value in any script is
// stored as it is.

// The program's own key under HKEY_CURRENT_USER: its settings and the record
// of docked windows lie beneath it, and other copies of the program look for
// them there.
extern const wchar_t kProgramKey[];

struct CRegKeyRelease {
    static bool Held(HKEY h) { return h != nullptr; }
    static BOOL Free(HKEY h) { return ::RegCloseKey(h) == ERROR_SUCCESS; }
};

// Owns an open key and closes it once.
class CRegKey : public COwner<HKEY, CRegKeyRelease> {
public:
    using COwner::COwner;
    operator HKEY() const { return m_h; }

    // An existing key; never creates one. ERROR_SUCCESS or the system's error.
    LONG Open(HKEY hParent, LPCWSTR pszPath, REGSAM access);
    // The key, made first if it is missing, with dwOptions (volatile or not)
    // for every key this makes.
    LONG Create(HKEY hParent, LPCWSTR pszPath, DWORD dwOptions, REGSAM access);
};

// Reads a value of the expected type and of at most cbMax bytes from an open
// key. On TRUE *ppData is a buffer of *pcbData bytes from operator new[]
// that the caller frees with delete[]; on FALSE *ppData is left null.
BOOL QueryRegValue(HKEY hKey, LPCWSTR pszName, DWORD dwType, DWORD cbMax, BYTE** ppData, DWORD* pcbData);

// Small stateless helpers around one value. Each opens the key itself and
// never creates it.

// Reads a value of the expected type, of any size. *pcbData comes in as 0
// and goes out as the size read; the buffer as for QueryRegValue.
BOOL ReadRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName, DWORD dwType, BYTE** ppData, DWORD* pcbData);

// Sets the value (creating the value, never the key). TRUE when it was set.
BOOL WriteRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName, DWORD dwType, const BYTE* pData, DWORD cbData);

// Deletes the value; the key stays. TRUE when it was deleted.
BOOL DeleteRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName);
