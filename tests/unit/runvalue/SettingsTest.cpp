// The hotkey settings against a scratch key of their own.
#include "app/Settings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const wchar_t kParent[] = L"Software\\TrayletTests";
const wchar_t kKey[] = L"Software\\TrayletTests\\Settings";
const wchar_t kChild[] = L"Software\\TrayletTests\\Settings\\Child";
const DWORD kWinAltDown = MAKELONG(VK_DOWN, MOD_WIN | MOD_ALT);
const DWORD kCtrlF9 = MAKELONG(VK_F9, MOD_CONTROL);

std::vector<BYTE> Bytes(DWORD value, size_t size = 4)
{
    std::vector<BYTE> bytes(size);
    memcpy(bytes.data(), &value, size < 4 ? size : 4);
    return bytes;
}

struct HotkeySettings : ::testing::Test {
    void TearDown() override
    {
        for (const wchar_t* key : {kChild, kKey, kParent})
            RegDeleteKeyW(HKEY_CURRENT_USER, key);
    }
};

TEST_F(HotkeySettings, OnlyAFourByteDwordHoldingAKeyAndKnownModifiersIsTrusted)
{
    EXPECT_EQ(kWinAltDown, ReadHotkey(HOTKEY_DOCK, kKey));
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(VK_UP, MOD_WIN | MOD_ALT)), ReadHotkey(HOTKEY_UNDOCK, kKey));
    EXPECT_EQ(static_cast<DWORD>(MAKELONG('M', MOD_WIN | MOD_ALT)), ReadHotkey(HOTKEY_MENU, kKey));
    HKEY key = nullptr;
    ASSERT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key)) << "reading created it";

    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        DWORD want;
    } cases[] = {
        {"a combination", REG_DWORD, Bytes(kCtrlF9), kCtrlF9},
        {"zero, which is off", REG_DWORD, Bytes(0), 0},
        {"REG_BINARY", REG_BINARY, Bytes(kCtrlF9), kWinAltDown},
        {"REG_QWORD", REG_QWORD, Bytes(kCtrlF9, 8), kWinAltDown},
        {"REG_SZ", REG_SZ, {'0', 0}, kWinAltDown},
        {"no bytes", REG_DWORD, {}, kWinAltDown},
        {"two bytes", REG_DWORD, Bytes(kCtrlF9, 2), kWinAltDown},
        {"eight bytes", REG_DWORD, Bytes(kCtrlF9, 8), kWinAltDown},
        {"an unknown modifier", REG_DWORD, Bytes(MAKELONG(VK_F9, MOD_CONTROL | 0x4000)), kWinAltDown},
        {"modifiers without a key", REG_DWORD, Bytes(MAKELONG(0, MOD_ALT)), kWinAltDown},
        {"key 0xFF", REG_DWORD, Bytes(MAKELONG(0xFF, MOD_ALT)), kWinAltDown},
    };
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                             nullptr));
    for (const Case& c : cases) {
        RegSetValueExW(key, L"DockHotkey", 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(c.want, ReadHotkey(HOTKEY_DOCK, kKey)) << c.what;
    }
    RegCloseKey(key);
}

TEST_F(HotkeySettings, AWriteCreatesAKeptKeyAndStoresAFourByteDwordForThatActionOnly)
{
    ASSERT_TRUE(WriteHotkey(HOTKEY_UNDOCK, kCtrlF9, kKey));
    HKEY key = nullptr;
    DWORD type = 0, value = 0, size = 8;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, kKey, L"UndockHotkey", RRF_RT_ANY, &type, &value, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(kCtrlF9, value);
    EXPECT_EQ(kWinAltDown, ReadHotkey(HOTKEY_DOCK, kKey));
    // A volatile key would refuse a non-volatile key beneath it.
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kChild, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ, nullptr, &key, nullptr));
    RegCloseKey(key);

    ASSERT_TRUE(WriteHotkey(HOTKEY_UNDOCK, 0, kKey));
    EXPECT_EQ(0u, ReadHotkey(HOTKEY_UNDOCK, kKey));
    EXPECT_FALSE(WriteHotkey(HOTKEY_UNDOCK, MAKELONG(0, MOD_ALT), kKey)) << "it could not be read back";
    EXPECT_EQ(0u, ReadHotkey(HOTKEY_UNDOCK, kKey));
}

}  // namespace
