// The hotkeys without the dialog: what an action's row shows for a
// combination and reads back from its controls, and what an edit does.
#include "app/Hotkeys.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

const wchar_t kParent[] = L"Software\\TrayletTests";
const wchar_t kKey[] = L"Software\\TrayletTests\\Hotkeys";

TEST(HotkeyRows, ShowTheCombinationAndItsTroubleAndReadItBackWhole)
{
    struct Case {
        DWORD hotkey;
        WORD control;
        bool win;
    } cases[] = {
        // The arrows are extended keys: without the flag the control would
        // name the keypad's 2.
        {MAKELONG(VK_DOWN, MOD_WIN | MOD_ALT), MAKEWORD(VK_DOWN, HOTKEYF_ALT | HOTKEYF_EXT), true},
        {MAKELONG(VK_F9, MOD_CONTROL | MOD_SHIFT), MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT), false},
        {MAKELONG('M', MOD_WIN | MOD_ALT | MOD_CONTROL | MOD_SHIFT),
         MAKEWORD('M', HOTKEYF_ALT | HOTKEYF_CONTROL | HOTKEYF_SHIFT), true},
        {0, 0, false},
    };
    for (const Case& c : cases) {
        const HotkeyRow row = HotkeyRowOf(c.hotkey, HOTKEY_ACTIVE);
        EXPECT_EQ(c.control, row.wControl) << std::hex << c.hotkey;
        EXPECT_EQ(c.win, row.bWin) << std::hex << c.hotkey;
        EXPECT_EQ(c.hotkey, FromHotkeyControl(row.wControl, row.bWin)) << std::hex << c.hotkey;
    }
    // Modifiers alone, while the user is still pressing them, make none.
    EXPECT_EQ(0u, FromHotkeyControl(MAKEWORD(0, HOTKEYF_ALT), true));

    // The state line speaks only of trouble.
    EXPECT_STREQ("", HotkeyRowOf(0, HOTKEY_OFF).pszState);
    EXPECT_STREQ("", HotkeyRowOf(MAKELONG('M', MOD_ALT), HOTKEY_ACTIVE).pszState);
    EXPECT_STREQ("In use", HotkeyRowOf(MAKELONG('M', MOD_ALT), HOTKEY_IN_USE).pszState);
    EXPECT_STREQ("Refused", HotkeyRowOf(MAKELONG('M', MOD_ALT), HOTKEY_REFUSED).pszState);
}

struct HotkeyEdits : ::testing::Test {
    void TearDown() override
    {
        for (const wchar_t* key : {kKey, kParent})
            RegDeleteKeyW(HKEY_CURRENT_USER, key);
    }
};

TEST_F(HotkeyEdits, AChangeTakesEffectAtOnceIsStoredAndFreesTheOldCombination)
{
    const DWORD combo = MAKELONG(VK_F11, MOD_CONTROL | MOD_ALT | MOD_SHIFT);
    test::MessageLog first("first holder"), second("second holder");
    CHotkeys keys(kKey);
    keys.RegisterAll(first.hwnd());
    const DWORD dflt = keys.Get(HOTKEY_MENU);

    EXPECT_FALSE(keys.Change(HOTKEY_MENU, dflt)) << "the combination it has";
    HKEY probe = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &probe)) << "stored all the same";

    ASSERT_TRUE(keys.Change(HOTKEY_MENU, combo));
    EXPECT_EQ(combo, keys.Get(HOTKEY_MENU));
    EXPECT_EQ(HOTKEY_ACTIVE, keys.State(HOTKEY_MENU));
    EXPECT_EQ(combo, ReadHotkey(HOTKEY_MENU, kKey));

    // Another holder of the stored combination finds it in use until the
    // first lets it go.
    CHotkeys other(kKey);
    other.RegisterAll(second.hwnd());
    EXPECT_EQ(HOTKEY_IN_USE, other.State(HOTKEY_MENU));
    ASSERT_TRUE(keys.Change(HOTKEY_MENU, 0));
    EXPECT_EQ(HOTKEY_OFF, keys.State(HOTKEY_MENU));
    EXPECT_EQ(0u, ReadHotkey(HOTKEY_MENU, kKey));
    other.RetryInUse();
    EXPECT_EQ(HOTKEY_ACTIVE, other.State(HOTKEY_MENU));
    other.UnregisterAll();
    keys.UnregisterAll();
}

}  // namespace
