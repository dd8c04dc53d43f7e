#include "app/Settings.h"

namespace {

struct HotkeyValue {
    const wchar_t* pszName;
    DWORD dwDefault;
};

const HotkeyValue kHotkeys[HOTKEY_COUNT] = {
    {L"DockHotkey", MAKELONG(VK_DOWN, MOD_WIN | MOD_ALT)},
    {L"UndockHotkey", MAKELONG(VK_UP, MOD_WIN | MOD_ALT)},
    {L"MenuHotkey", MAKELONG('M', MOD_WIN | MOD_ALT)},
};

constexpr WORD kKnownModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

// Another program (or an older hand) may have stored anything: a value is
// taken only when it names a key a keyboard can send with modifiers we know.
bool IsHotkey(DWORD dw)
{
    if (dw == 0)
        return true;
    const WORD vk = LOWORD(dw);
    return vk >= 1 && vk <= 0xFE && (HIWORD(dw) & ~kKnownModifiers) == 0;
}

bool IsAction(int action)
{
    return action >= 0 && action < HOTKEY_COUNT;
}

}  // namespace

DWORD ReadHotkey(int action, LPCWSTR pszKey)
{
    if (!IsAction(action))
        return 0;
    DWORD dw = kHotkeys[action].dwDefault;
    BYTE* pData = nullptr;
    DWORD cbData = 0;
    if (ReadRegValue(HKEY_CURRENT_USER, pszKey, kHotkeys[action].pszName, REG_DWORD, &pData, &cbData)) {
        DWORD stored = 0;
        if (cbData == sizeof stored) {
            CopyMemory(&stored, pData, sizeof stored);
            if (IsHotkey(stored))
                dw = stored;
        }
        delete[] pData;
    }
    return dw;
}

BOOL WriteHotkey(int action, DWORD dwHotkey, LPCWSTR pszKey)
{
    if (!IsAction(action) || !IsHotkey(dwHotkey))
        return FALSE;
    // Settings outlive the session, so the key is never volatile (a volatile
    // key would also refuse every non-volatile key beneath it).
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, pszKey, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE) != ERROR_SUCCESS)
        return FALSE;
    return WriteRegValue(HKEY_CURRENT_USER, pszKey, kHotkeys[action].pszName, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&dwHotkey), sizeof dwHotkey);
}
