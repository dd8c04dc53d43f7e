#include "framework/Registry.h"

#include <new>

const wchar_t kProgramKey[] = L"Software\\Traylet";

LONG CRegKey::Open(HKEY hParent, LPCWSTR pszPath, REGSAM access)
{
    Close();
    // Only a key that opened is kept: the handle the call leaves behind on a
    // failure is nothing to close.
    HKEY h = nullptr;
    const LONG result = RegOpenKeyExW(hParent, pszPath, 0, access, &h);
    if (result == ERROR_SUCCESS)
        Attach(h);
    return result;
}

LONG CRegKey::Create(HKEY hParent, LPCWSTR pszPath, DWORD dwOptions, REGSAM access)
{
    Close();
    HKEY h = nullptr;
    const LONG result = RegCreateKeyExW(hParent, pszPath, 0, nullptr, dwOptions, access, nullptr, &h, nullptr);
    if (result == ERROR_SUCCESS)
        Attach(h);
    return result;
}

BOOL QueryRegValue(HKEY hKey, LPCWSTR pszName, DWORD dwType, DWORD cbMax, BYTE** ppData, DWORD* pcbData)
{
    DWORD type = 0;
    DWORD cb = 0;
    if (RegQueryValueExW(hKey, pszName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS || type != dwType ||
        cb > cbMax)
        return FALSE;
    BYTE* data = new (std::nothrow) BYTE[cb];
    if (!data)
        return FALSE;
    // The value may have grown, or been replaced by one of another type,
    // since it was sized: the read then fails rather than overrunning the
    // buffer or handing over data of a type the caller did not ask for.
    if (RegQueryValueExW(hKey, pszName, nullptr, &type, data, &cb) != ERROR_SUCCESS || type != dwType) {
        delete[] data;
        return FALSE;
    }
    *ppData = data;
    *pcbData = cb;
    return TRUE;
}

BOOL ReadRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName, DWORD dwType, BYTE** ppData, DWORD* pcbData)
{
    CRegKey key;
    if (key.Open(hRoot, pszKey, KEY_READ) != ERROR_SUCCESS)
        return FALSE;
    return QueryRegValue(key, pszName, dwType, MAXDWORD, ppData, pcbData);
}

BOOL WriteRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName, DWORD dwType, const BYTE* pData, DWORD cbData)
{
    CRegKey key;
    if (key.Open(hRoot, pszKey, KEY_WRITE) != ERROR_SUCCESS)
        return FALSE;
    return RegSetValueExW(key, pszName, 0, dwType, pData, cbData) == ERROR_SUCCESS;
}

BOOL DeleteRegValue(HKEY hRoot, LPCWSTR pszKey, LPCWSTR pszName)
{
    CRegKey key;
    if (key.Open(hRoot, pszKey, KEY_WRITE) != ERROR_SUCCESS)
        return FALSE;
    return RegDeleteValueW(key, pszName) == ERROR_SUCCESS;
}
