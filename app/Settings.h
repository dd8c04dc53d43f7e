#pragma once
#include "framework/Registry.h"

// The user's settings beyond the Run value: one REG_DWORD per hotkey action
// under the program's own key (kProgramKey), in RegisterHotKey's terms (the
// virtual key in the low word, the MOD_* flags in the high word; 0 turns
// the action off). Nothing is stored until the user changes a setting.
enum HotkeyAction : int {
    HOTKEY_DOCK,     // dock the window in front
    HOTKEY_UNDOCK,   // bring back the window docked last
    HOTKEY_MENU,     // open the main menu at the program's icon
    HOTKEY_COUNT
};

// The stored combination, or the default when there is none or what is
// stored is not a four-byte REG_DWORD holding a key and known modifiers.
// Never creates the key.
DWORD ReadHotkey(int action, LPCWSTR pszKey = kProgramKey);

// Stores the combination, creating the key (non-volatile) on first use.
BOOL WriteHotkey(int action, DWORD dwHotkey, LPCWSTR pszKey = kProgramKey);
