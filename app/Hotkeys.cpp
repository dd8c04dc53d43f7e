#include "app/Hotkeys.h"

#include <commctrl.h>

namespace {

// Ids below 0xC000 are the application's own; 0 is left unused so that a
// zeroed wParam names no action.
constexpr int kFirstId = 1;

// Keys whose name the control reads from the extended key set: without the
// flag Down would read as the keypad's 2.
bool IsExtendedKey(UINT vk)
{
    switch (vk) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_INSERT: case VK_DELETE: case VK_DIVIDE: case VK_NUMLOCK:
        return true;
    default:
        return false;
    }
}

// RegisterHotKey's modifiers and the hotkey control's flags for them; the
// control has none for the Windows key.
struct ModifierFlag {
    UINT mod;
    BYTE flag;
};
const ModifierFlag kModifierFlags[] = {
    {MOD_SHIFT, HOTKEYF_SHIFT},
    {MOD_CONTROL, HOTKEYF_CONTROL},
    {MOD_ALT, HOTKEYF_ALT},
};

}  // namespace

void CHotkeys::RegisterAll(HWND hWnd)
{
    m_hWnd = hWnd;
    for (int action = 0; action < HOTKEY_COUNT; ++action) {
        m_dwHotkey[action] = ReadHotkey(action, m_pszKey);
        m_state[action] = Register(action);
    }
}

void CHotkeys::UnregisterAll()
{
    // Every action is off until the next RegisterAll.
    for (int action = 0; action < HOTKEY_COUNT; ++action) {
        if (m_state[action] == HOTKEY_ACTIVE)
            UnregisterHotKey(m_hWnd, kFirstId + action);
        m_state[action] = HOTKEY_OFF;
    }
}

HotkeyState CHotkeys::Set(int action, DWORD dwHotkey)
{
    if (action < 0 || action >= HOTKEY_COUNT)
        return HOTKEY_OFF;
    if (m_state[action] == HOTKEY_ACTIVE)
        UnregisterHotKey(m_hWnd, kFirstId + action);
    m_dwHotkey[action] = dwHotkey;
    m_state[action] = Register(action);
    return m_state[action];
}

bool CHotkeys::Change(int action, DWORD dwHotkey)
{
    if (action < 0 || action >= HOTKEY_COUNT || dwHotkey == m_dwHotkey[action])
        return false;
    Set(action, dwHotkey);
    WriteHotkey(action, dwHotkey, m_pszKey);
    return true;
}

void CHotkeys::RetryInUse()
{
    for (int action = 0; action < HOTKEY_COUNT; ++action)
        if (m_state[action] == HOTKEY_IN_USE)
            m_state[action] = Register(action);
}

int CHotkeys::ActionOf(WPARAM id)
{
    return (id >= kFirstId && id < kFirstId + HOTKEY_COUNT) ? static_cast<int>(id - kFirstId) : -1;
}

HotkeyState CHotkeys::Register(int action)
{
    const DWORD dw = m_dwHotkey[action];
    if (dw == 0)
        return HOTKEY_OFF;
    if (RegisterHotKey(m_hWnd, kFirstId + action, HIWORD(dw), LOWORD(dw)))
        return HOTKEY_ACTIVE;
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HOTKEY_IN_USE : HOTKEY_REFUSED;
}

WORD ToHotkeyControl(DWORD dwHotkey)
{
    const UINT vk = LOWORD(dwHotkey) & 0xFF;
    BYTE flags = IsExtendedKey(vk) ? HOTKEYF_EXT : 0;
    for (const ModifierFlag& m : kModifierFlags)
        if (HIWORD(dwHotkey) & m.mod)
            flags |= m.flag;
    return MAKEWORD(vk, flags);
}

DWORD FromHotkeyControl(WORD wControl, bool bWin)
{
    // Modifiers alone (the user is still pressing them) make no combination.
    const UINT vk = LOBYTE(wControl);
    if (vk == 0)
        return 0;
    UINT mod = bWin ? MOD_WIN : 0;
    for (const ModifierFlag& m : kModifierFlags)
        if (HIBYTE(wControl) & m.flag)
            mod |= m.mod;
    return MAKELONG(vk, mod);
}

LPCSTR HotkeyStateText(HotkeyState state)
{
    switch (state) {
    case HOTKEY_IN_USE:
        return "In use";
    case HOTKEY_REFUSED:
        return "Refused";
    default:
        return "";
    }
}

HotkeyRow HotkeyRowOf(DWORD dwHotkey, HotkeyState state)
{
    return HotkeyRow{ToHotkeyControl(dwHotkey), (HIWORD(dwHotkey) & MOD_WIN) != 0, HotkeyStateText(state)};
}
