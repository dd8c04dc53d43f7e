// The three registry helpers against a scratch key of their own.
#include "framework/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kParent[] = L"Software\\TrayletTests";
const wchar_t kScratch[] = L"Software\\TrayletTests\\Registry";
const wchar_t kMissing[] = L"Software\\TrayletTests\\Registry\\Missing";

bool KeyExists(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
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
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kParent, 0, KEY_READ, &key));
    RegCloseKey(key);
    return key;
}

class RegistryHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &key, nullptr));
        m_key = key;
        NextKeyHandle();   // the first use of HKEY_CURRENT_USER opens the hive once and keeps it
    }
    void TearDown() override
    {
        RegCloseKey(m_key);
        RegDeleteKeyW(HKEY_CURRENT_USER, kMissing);
        RegDeleteKeyW(HKEY_CURRENT_USER, kScratch);
        RegDeleteKeyW(HKEY_CURRENT_USER, kParent);
    }

    void Put(const wchar_t* name, DWORD type, const std::vector<BYTE>& data)
    {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(m_key, name, 0, type, data.data(), static_cast<DWORD>(data.size())));
    }
    bool Get(const wchar_t* name, DWORD& type, std::vector<BYTE>& data)
    {
        DWORD size = 0;
        if (RegQueryValueExW(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        data.resize(size);
        return RegQueryValueExW(m_key, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
    }

    HKEY m_key = nullptr;
};

TEST_F(RegistryHelpers, ReadHandsOverTheBytesTheirSizeAndTheBufferAndClosesTheKey)
{
    const std::vector<BYTE> bytes = {1, 2, 0, 3, 0xFF};
    Put(L"bin", REG_BINARY, bytes);
    const HKEY before = NextKeyHandle();

    BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kScratch, L"bin", REG_BINARY, &data, &size));
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(bytes, std::vector<BYTE>(data, data + size));
    delete[] data;
    EXPECT_EQ(before, NextKeyHandle());
}

TEST_F(RegistryHelpers, ReadTakesAValueOfAnySizeWhole)
{
    // Ends in a whole UTF-16 NUL: a text without one may be stored with one
    // added, depending on the bytes after it in memory.
    std::vector<BYTE> big(64 * 1024, 'x');
    big[big.size() - 2] = big.back() = 0;
    Put(L"big", REG_SZ, big);

    BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kScratch, L"big", REG_SZ, &data, &size));
    EXPECT_EQ(big.size(), size);
    EXPECT_EQ(big, std::vector<BYTE>(data, data + size));
    delete[] data;
}

TEST_F(RegistryHelpers, ReadFailsWithoutABufferAndClosesTheKeyOnEveryFailure)
{
    Put(L"text", REG_SZ, {'a', 'b', 0});
    Put(L"expand", REG_EXPAND_SZ, {'a', 'b', 0});
    Put(L"number", REG_DWORD, {1, 0, 0, 0});
    struct Case {
        const char* what;
        const wchar_t* key;
        const wchar_t* name;
        DWORD type;
    } cases[] = {
        {"another type (REG_EXPAND_SZ for REG_SZ)", kScratch, L"expand", REG_SZ},
        {"another type (REG_DWORD for REG_SZ)", kScratch, L"number", REG_SZ},
        {"another type (REG_SZ for REG_EXPAND_SZ)", kScratch, L"text", REG_EXPAND_SZ},
        {"no such value", kScratch, L"absent", REG_SZ},
        {"no such key", kMissing, L"text", REG_SZ},
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
    Put(L"value", REG_EXPAND_SZ, {'o', 'l', 'd', 0});
    const HKEY before = NextKeyHandle();
    const wchar_t text[] = L"\"C:\\x.exe\"";
    const auto* bytes = reinterpret_cast<const BYTE*>(text);
    ASSERT_TRUE(WriteRegValue(HKEY_CURRENT_USER, kScratch, L"value", REG_SZ, bytes, sizeof text));
    EXPECT_EQ(before, NextKeyHandle());

    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Get(L"value", type, data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::vector<BYTE>(bytes, bytes + sizeof text), data);
}

TEST_F(RegistryHelpers, WriteNeverCreatesTheKeyAndClosesItWhenTheSetFails)
{
    const BYTE text[] = "x";
    EXPECT_FALSE(WriteRegValue(HKEY_CURRENT_USER, kMissing, L"value", REG_SZ, text, sizeof text));
    EXPECT_FALSE(KeyExists(kMissing));

    // The key opens, then the set fails: data at an address no one can read.
    const HKEY before = NextKeyHandle();
    EXPECT_FALSE(WriteRegValue(HKEY_CURRENT_USER, kScratch, L"value", REG_BINARY, reinterpret_cast<const BYTE*>(1), 4));
    EXPECT_EQ(before, NextKeyHandle());
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_FALSE(Get(L"value", type, data));
}

TEST_F(RegistryHelpers, DeleteRemovesOnlyTheValue)
{
    Put(L"gone", REG_SZ, {'a', 0});
    Put(L"kept", REG_SZ, {'b', 0});
    const HKEY before = NextKeyHandle();
    ASSERT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, kScratch, L"gone"));
    EXPECT_EQ(before, NextKeyHandle());

    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_FALSE(Get(L"gone", type, data));
    EXPECT_TRUE(Get(L"kept", type, data));
    EXPECT_TRUE(KeyExists(kScratch));
}

TEST_F(RegistryHelpers, DeleteFailsForAMissingValueOrKeyAndClosesTheKey)
{
    const HKEY before = NextKeyHandle();
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, kScratch, L"absent"));
    EXPECT_EQ(before, NextKeyHandle());
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, kMissing, L"absent"));
    EXPECT_FALSE(KeyExists(kMissing));
    EXPECT_EQ(before, NextKeyHandle());
}

}  // namespace
