#include "app/Registry.h"

#include <new>

BOOL ReadRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName, DWORD dwType, BYTE** ppData, DWORD* pcbData)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;

    DWORD dwActualType = 0;
    if (RegQueryValueExW(hKey, pszName, nullptr, &dwActualType, nullptr, pcbData) != ERROR_SUCCESS ||
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
    if (RegQueryValueExW(hKey, pszName, nullptr, nullptr, *ppData, pcbData) != ERROR_SUCCESS) {
        delete[] *ppData;
        *ppData = nullptr;
        RegCloseKey(hKey);
        return FALSE;
    }

    RegCloseKey(hKey);
    return TRUE;
}

BOOL WriteRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName, DWORD dwType, const BYTE* pData, DWORD cbData)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, pszKey, 0, KEY_WRITE, &hKey) != ERROR_SUCCESS)
        return FALSE;
    const LONG result = RegSetValueExW(hKey, pszName, 0, dwType, pData, cbData);
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS;
}

BOOL DeleteRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, pszKey, 0, KEY_WRITE, &hKey) != ERROR_SUCCESS)
        return FALSE;
    const LONG result = RegDeleteValueW(hKey, pszName);
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS;
}
