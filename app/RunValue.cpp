#include "app/RunValue.h"

#include "framework/Registry.h"

DWORD(WINAPI* g_pfnGetModuleFileNameW)(HMODULE, LPWSTR, DWORD) = GetModuleFileNameW;

namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValueName[] = L"Traylet2";

WCHAR FoldAsciiCase(WCHAR c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<WCHAR>(c - L'a' + L'A') : c;
}

}  // namespace

bool OwnRunText(RunText& text)
{
    // A path that does not fit the buffer comes back truncated (and, on
    // older systems, without its NUL).
    WCHAR szPath[MAX_PATH] = {};
    const DWORD cch = g_pfnGetModuleFileNameW(nullptr, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return false;
    wsprintfW(text.sz, L"\"%s\"", szPath);   // MAX_PATH + 2 fits in the buffer
    return true;
}

bool MatchesRunText(const BYTE* pData, DWORD cbData, LPCWSTR pszText)
{
    // Whole characters only: an odd last byte is half of one.
    const DWORD cch = cbData / sizeof(WCHAR);
    for (DWORD i = 0; i < cch; ++i) {
        WCHAR c;
        CopyMemory(&c, pData + i * sizeof(WCHAR), sizeof c);
        // i never passes the text's NUL: characters before it matched.
        if (FoldAsciiCase(c) != FoldAsciiCase(pszText[i]))
            return false;
        if (c == L'\0')
            return true;
    }
    return false;
}

bool IsStartWithWindowsOn()
{
    RunText expected;
    const bool haveText = OwnRunText(expected);
    BYTE* pData = nullptr;
    DWORD cbData = 0;
    if (!ReadRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ, &pData, &cbData))
        return false;
    const bool on = haveText && MatchesRunText(pData, cbData, expected.sz);
    delete[] pData;
    return on;
}

BOOL SetStartWithWindows(bool bOn)
{
    if (!bOn)
        return DeleteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    // Without our whole path there is nothing right to store.
    RunText text;
    if (!OwnRunText(text))
        return FALSE;
    return WriteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ, reinterpret_cast<const BYTE*>(text.sz),
                         static_cast<DWORD>((lstrlenW(text.sz) + 1) * sizeof(WCHAR)));
}
