#pragma once
#include <windows.h>

// Small stateless helpers around one registry value. Each opens the key
// itself, never creates it, and closes it again on every path.

// Reads a value of the expected type. *pcbData comes in as 0 and goes out as
// the size read. On TRUE *ppData is a buffer of that size from operator new[]
// that the caller frees with delete[]; on FALSE *ppData is left null.
BOOL ReadRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName, DWORD dwType, BYTE** ppData, DWORD* pcbData);

// Sets the value (creating the value, never the key). TRUE when it was set.
BOOL WriteRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName, DWORD dwType, const BYTE* pData, DWORD cbData);

// Deletes the value; the key stays. TRUE when it was deleted.
BOOL DeleteRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName);
