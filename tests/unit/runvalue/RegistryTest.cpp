// The three registry helpers against a scratch key of their own.
#include "app/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kParent[] = "Software\\TrayletTests";
const char kScratch[] = "Software\\TrayletTests\\Registry";
const char kMissing[] = "Software\\TrayletTests\\Registry\\Missing";

bool KeyExists(const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The handle the next key opened by this process gets. Handles are given out
// lowest free slot first, so a key that an operation left open shows up as
// a different handle here afterwards.
HKEY NextKeyHandle()
{
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kParent, 0, KEY_READ, &key));
    RegCloseKey(key);
    return key;
}

class RegistryHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &key, nullptr));
        m_key = key;
        NextKeyHandle();   // the first use of HKEY_CURRENT_USER opens the hive once and keeps it
    }
    void TearDown() override
    {
        RegCloseKey(m_key);
        RegDeleteKeyA(HKEY_CURRENT_USER, kMissing);
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
        RegDeleteKeyA(HKEY_CURRENT_USER, kParent);
    }

    void Put(const char* name, DWORD type, const std::vector<BYTE>& data)
    {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(m_key, name, 0, type, data.data(), static_cast<DWORD>(data.size())));
    }
    bool Get(const char* name, DWORD& type, std::vector<BYTE>& data)
    {
        DWORD size = 0;
        if (RegQueryValueExA(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        data.resize(size);
        return RegQueryValueExA(m_key, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
    }

    HKEY m_key = nullptr;
};

TEST_F(RegistryHelpers, ReadHandsOverTheBytesTheirSizeAndTheBufferAndClosesTheKey)
{
    const std::vector<BYTE> bytes = {1, 2, 0, 3, 0xFF};
    Put("bin", REG_BINARY, bytes);
    const HKEY before = NextKeyHandle();

    BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kScratch, "bin", REG_BINARY, &data, &size));
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(bytes, std::vector<BYTE>(data, data + size));
    delete[] data;
    EXPECT_EQ(before, NextKeyHandle());
}

TEST_F(RegistryHelpers, ReadTakesAValueOfAnySizeWhole)
{
    std::vector<BYTE> big(64 * 1024, 'x');
    big.back() = 0;
    Put("big", REG_SZ, big);

    BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kScratch, "big", REG_SZ, &data, &size));
    EXPECT_EQ(big.size(), size);
    EXPECT_EQ(big, std::vector<BYTE>(data, data + size));
    delete[] data;
}

TEST_F(RegistryHelpers, ReadFailsWithoutABufferAndClosesTheKeyOnEveryFailure)
{
    Put("text", REG_SZ, {'a', 'b', 0});
    Put("expand", REG_EXPAND_SZ, {'a', 'b', 0});
    Put("number", REG_DWORD, {1, 0, 0, 0});
    struct Case {
        const char* what;
        const char* key;
        const char* name;
        DWORD type;
    } cases[] = {
        {"another type (REG_EXPAND_SZ for REG_SZ)", kScratch, "expand", REG_SZ},
        {"another type (REG_DWORD for REG_SZ)", kScratch, "number", REG_SZ},
        {"another type (REG_SZ for REG_EXPAND_SZ)", kScratch, "text", REG_EXPAND_SZ},
        {"no such value", kScratch, "absent", REG_SZ},
        {"no such key", kMissing, "text", REG_SZ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const HKEY before = NextKeyHandle();
        BYTE* data = nullptr;
        DWORD size = 0;
        EXPECT_FALSE(ReadRegValue(HKEY_CURRENT_USER, c.key, c.name, c.type, &data, &size));
        EXPECT_EQ(nullptr, data);
        EXPECT_EQ(before, NextKeyHandle());
    }
    EXPECT_FALSE(KeyExists(kMissing)) << "reading created the key";
}

TEST_F(RegistryHelpers, WriteStoresExactlyTheGivenTypeAndBytes)
{
    Put("value", REG_EXPAND_SZ, {'o', 'l', 'd', 0});
    const HKEY before = NextKeyHandle();
    const BYTE text[] = "\"C:\\x.exe\"";
    ASSERT_TRUE(WriteRegValue(HKEY_CURRENT_USER, kScratch, "value", REG_SZ, text, sizeof text));
    EXPECT_EQ(before, NextKeyHandle());

    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Get("value", type, data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::vector<BYTE>(text, text + sizeof text), data);
}

TEST_F(RegistryHelpers, WriteNeverCreatesTheKeyAndClosesItWhenTheSetFails)
{
    const BYTE text[] = "x";
    EXPECT_FALSE(WriteRegValue(HKEY_CURRENT_USER, kMissing, "value", REG_SZ, text, sizeof text));
    EXPECT_FALSE(KeyExists(kMissing));

    // The key opens, then the set fails: data at an address no one can read.
    const HKEY before = NextKeyHandle();
    EXPECT_FALSE(WriteRegValue(HKEY_CURRENT_USER, kScratch, "value", REG_BINARY, reinterpret_cast<const BYTE*>(1), 4));
    EXPECT_EQ(before, NextKeyHandle());
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_FALSE(Get("value", type, data));
}

TEST_F(RegistryHelpers, DeleteRemovesOnlyTheValue)
{
    Put("gone", REG_SZ, {'a', 0});
    Put("kept", REG_SZ, {'b', 0});
    const HKEY before = NextKeyHandle();
    ASSERT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, kScratch, "gone"));
    EXPECT_EQ(before, NextKeyHandle());

    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_FALSE(Get("gone", type, data));
    EXPECT_TRUE(Get("kept", type, data));
    EXPECT_TRUE(KeyExists(kScratch));
}

TEST_F(RegistryHelpers, DeleteFailsForAMissingValueOrKeyAndClosesTheKey)
{
    const HKEY before = NextKeyHandle();
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, kScratch, "absent"));
    EXPECT_EQ(before, NextKeyHandle());
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, kMissing, "absent"));
    EXPECT_FALSE(KeyExists(kMissing));
    EXPECT_EQ(before, NextKeyHandle());
}

}  // namespace
