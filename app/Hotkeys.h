#pragma once
#include "app/Settings.h"

// What became of an action's combination.
enum HotkeyState : int {
    HOTKEY_OFF,       // no combination
    HOTKEY_ACTIVE,    // registered: WM_HOTKEY comes with it
    HOTKEY_IN_USE,    // another program (or another action) holds it
    HOTKEY_REFUSED,   // the system refused it for another reason
};

// The global hotkeys of the actions, registered for one window. WM_HOTKEY
// then carries the action's id (see ActionOf).
class CHotkeys {
public:
    // The combinations are read from, and changes stored under, pszKey
    // (tests give a key of their own).
    explicit CHotkeys(LPCWSTR pszKey = kProgramKey) : m_pszKey(pszKey) {}
    CHotkeys(const CHotkeys&) = delete;
    CHotkeys& operator=(const CHotkeys&) = delete;

    // Registers every action's stored (or default) combination for hWnd.
    void RegisterAll(HWND hWnd);
    void UnregisterAll();

    // Makes dwHotkey the action's combination at once: the old one is
    // released first, so that it is free for whoever wants it.
    HotkeyState Set(int action, DWORD dwHotkey);
    // A combination the user gave: made the action's at once, as Set does,
    // and stored. False, and nothing done, when it is the one the action
    // has already (the control reports every modifier as it is pressed).
    bool Change(int action, DWORD dwHotkey);
    // Registers again what was in use: its holder may have let it go.
    void RetryInUse();

    DWORD Get(int action) const { return m_dwHotkey[action]; }
    HotkeyState State(int action) const { return m_state[action]; }

    // The action whose hotkey id is this WM_HOTKEY's wParam, -1 for none.
    static int ActionOf(WPARAM id);

private:
    HotkeyState Register(int action);

    LPCWSTR m_pszKey;
    HWND m_hWnd = nullptr;
    DWORD m_dwHotkey[HOTKEY_COUNT] = {};
    HotkeyState m_state[HOTKEY_COUNT] = {};
};

// The hotkey control's form (HKM_GETHOTKEY: the key in the low byte, the
// HOTKEYF_* flags in the high byte) and RegisterHotKey's. The control has no
// flag for the Windows key, so it travels beside it.
WORD ToHotkeyControl(DWORD dwHotkey);
DWORD FromHotkeyControl(WORD wControl, bool bWin);

// What the line beside an action's controls says of its state: nothing
// while the combination works or is off.
LPCSTR HotkeyStateText(HotkeyState state);

// What an action's row in the dialog shows: the control's combination, the
// "Win" box, the state line.
struct HotkeyRow {
    WORD wControl;
    bool bWin;
    LPCSTR pszState;
};
HotkeyRow HotkeyRowOf(DWORD dwHotkey, HotkeyState state);
