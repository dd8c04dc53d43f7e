// The one setting: whether the program starts when the user logs on, kept
// as a value under the per-user Run key and shown by check box 1001.
#include "app/RunValue.h"

#include "framework/Registry.h"
#include "app/TrayDockDlg.h"
#include "res/resource.h"

DWORD(WINAPI* g_pfnGetModuleFileNameW)(HMODULE, LPWSTR, DWORD) = GetModuleFileNameW;

namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValueName[] = L"Traylet2";

// The path and the two quotes around it, with the terminating NUL. UTF-16,
// as the registry keeps every string: a path in any script is stored as it
// is.
struct RunText {
    WCHAR sz[MAX_PATH + 2];
};

// Builds the text the value must hold: the program's path in double quotes.
// A path that does not fit the 260-byte buffer comes back truncated (and, on
// older systems, without its NUL); it gives no text at all rather than one
// that names some other file.
bool BuildRunText(RunText& text)
{
    WCHAR szPath[MAX_PATH] = {};
    const DWORD cch = g_pfnGetModuleFileNameW(nullptr, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return false;
    wsprintfW(text.sz, L"\"%s\"", szPath);   // MAX_PATH + 2 fits in the buffer
    return true;
}

WCHAR FoldAsciiCase(WCHAR c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<WCHAR>(c - L'a' + L'A') : c;
}

// Whether the data, read as a NUL-terminated UTF-16 text, equals the expected text
// with ASCII letters compared without regard to case. Another program may
// have stored anything, of any size and with or without a NUL: nothing past
// the cbData bytes read is looked at, and data that ends before its NUL
// does not count as a text.
bool EqualsRunText(const BYTE* pData, DWORD cbData, const RunText& expected)
{
    // Whole characters only: an odd last byte is half of one.
    const DWORD cch = cbData / sizeof(WCHAR);
    for (DWORD i = 0; i < cch; ++i) {
        WCHAR c;
        CopyMemory(&c, pData + i * sizeof(WCHAR), sizeof c);
        // i never passes the expected text's NUL: characters before it matched.
        const WCHAR e = expected.sz[i];
        if (FoldAsciiCase(c) != FoldAsciiCase(e))
            return false;
        if (c == L'\0')
            return true;
    }
    return false;
}

}  // namespace

void CTrayDockDlg::CheckRunValue()
{
    RunText expected;
    const bool haveText = BuildRunText(expected);

    BYTE* pData = nullptr;
    DWORD cbData = 0;
    ReadRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ, &pData, &cbData);
    if (pData) {
        if (haveText && EqualsRunText(pData, cbData, expected))
            CheckDlgButton(m_hWnd, IDC_START_WITH_WINDOWS, BST_CHECKED);
        delete[] pData;
    }
}

void CTrayDockDlg::OnStartWithWindows()
{
    const UINT state = IsDlgButtonChecked(m_hWnd, IDC_START_WITH_WINDOWS);
    RunText text;
    const bool haveText = BuildRunText(text);

    if (state != BST_UNCHECKED) {
        // Without our full path there is nothing right to store; the box
        // keeps the state the user gave it, as after any failed write.
        if (haveText)
            WriteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.sz),
                          static_cast<DWORD>((lstrlenW(text.sz) + 1) * sizeof(WCHAR)));
    } else {
        DeleteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    }
}
