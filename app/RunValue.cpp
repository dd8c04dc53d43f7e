// The one setting: whether the program starts when the user logs on, kept
// as a value under the per-user Run key and shown by check box 1001.
#include "app/RunValue.h"

#include "app/Registry.h"
#include "app/TrayDockDlg.h"
#include "res/resource.h"

DWORD(WINAPI* g_pfnGetModuleFileNameA)(HMODULE, LPSTR, DWORD) = GetModuleFileNameA;

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "Traylet2";

// The path and the two quotes around it, with the terminating NUL.
struct RunText {
    char sz[MAX_PATH + 2];
};

// Builds the text the value must hold: the program's path in double quotes.
// A path that does not fit the 260-byte buffer comes back truncated (and, on
// older systems, without its NUL); it gives no text at all rather than one
// that names some other file.
bool BuildRunText(RunText& text)
{
    char szPath[MAX_PATH] = {};
    const DWORD cch = g_pfnGetModuleFileNameA(nullptr, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return false;
    wsprintfA(text.sz, "\"%s\"", szPath);   // MAX_PATH + 2 fits in the buffer
    return true;
}

unsigned char FoldAsciiCase(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Whether the data, read as a NUL-terminated text, equals the expected text
// with ASCII letters compared without regard to case. Another program may
// have stored anything, of any size and with or without a NUL: nothing past
// the cbData bytes read is looked at, and data that ends before its NUL
// does not count as a text.
bool EqualsRunText(const BYTE* pData, DWORD cbData, const RunText& expected)
{
    for (DWORD i = 0; i < cbData; ++i) {
        const unsigned char c = pData[i];
        // i never passes the expected text's NUL: bytes before it matched.
        const unsigned char e = static_cast<unsigned char>(expected.sz[i]);
        if (FoldAsciiCase(c) != FoldAsciiCase(e))
            return false;
        if (c == '\0')
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
                          reinterpret_cast<const BYTE*>(text.sz), static_cast<DWORD>(lstrlenA(text.sz) + 1));
    } else {
        DeleteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    }
}
