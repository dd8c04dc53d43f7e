#include "app/Registry.h"

#include <new>

BOOL ReadRegValue(HKEY hRoot, LPCSTR pszKey, LPCSTR pszName, DWORD dwType, BYTE** ppData, DWORD* pcbData)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;

    DWORD dwActualType = 0;
    if (RegQueryValueExA(hKey, pszName, nullptr, &dwActualType, nullptr, pcbData) != ERROR_SUCCESS ||
        dwActualType != dwType) {
        RegCloseKey(hKey);
        return FALSE;
    }

    *ppData = new (std::nothrow) BYTE[*pcbData];
    if (!*ppData) {
        RegCloseKey(hKey);
        return FALSE;
    }
    // The value may have grown since its size was asked for; the read then
    // fails rather than overrunning the buffer.
    if (RegQueryValueExA(hKey, pszName, nullptr, nullptr, *ppData, pcbData) != ERROR_SUCCESS) {
        delete[] *ppData;
        *ppData = nullptr;
        RegCloseKey(hKey);
        return FALSE;
    }

    RegCloseKey(hKey);
    return TRUE;
}

BOOL WriteRegValue(HKEY hRoot, LPCSTR pszKey, LPCSTR pszName, DWORD dwType, const BYTE* pData, DWORD cbData)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, pszKey, 0, KEY_WRITE, &hKey) != ERROR_SUCCESS)
        return FALSE;
    const LONG result = RegSetValueExA(hKey, pszName, 0, dwType, pData, cbData);
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS;
}

BOOL DeleteRegValue(HKEY hRoot, LPCSTR pszKey, LPCSTR pszName)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, pszKey, 0, KEY_WRITE, &hKey) != ERROR_SUCCESS)
        return FALSE;
    const LONG result = RegDeleteValueA(hKey, pszName);
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS;
}
