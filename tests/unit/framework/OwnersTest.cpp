// The owners of kernel handles and registry keys: each closes what it holds
// exactly once, whichever owner it has been moved to, and nothing it was
// never given.
#include "framework/Handle.h"
#include "framework/Registry.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpen(HANDLE h)
{
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

bool IsOpen(HKEY key)
{
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(HandleOwner, ClosesOnceWhereverItWasMoved)
{
    const HANDLE a = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE b = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        CHandle first(a);
        CHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(a, second.Get());
        CHandle third(b);
        third = std::move(second);   // b goes, a is kept
        EXPECT_FALSE(IsOpen(b));
        EXPECT_TRUE(IsOpen(a));
        EXPECT_EQ(a, third.Get());
    }
    EXPECT_FALSE(IsOpen(a));

    const HANDLE c = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        CHandle kept(c);
        EXPECT_EQ(c, kept.Detach());
    }
    EXPECT_TRUE(IsOpen(c));
    CloseHandle(c);

    // What the system answers for a failure is held as nothing.
    EXPECT_FALSE(CHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(CHandle(OpenProcess(SYNCHRONIZE, FALSE, 0xFFFFFFF0u)));
}

TEST(KeyOwner, OpensWithoutCreatingAndClosesOnceWhereverItWasMoved)
{
    const wchar_t kParent[] = L"Software\\TrayletTests";
    const wchar_t kScratch[] = L"Software\\TrayletTests\\Owners";
    RegDeleteKeyW(HKEY_CURRENT_USER, kScratch);
    CRegKey key;
    EXPECT_NE(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kScratch, KEY_READ));
    EXPECT_EQ(nullptr, static_cast<HKEY>(key));
    EXPECT_NE(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kScratch, KEY_READ)) << "opening made it";

    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, kScratch, REG_OPTION_NON_VOLATILE, KEY_READ));
    const HKEY made = key;
    HKEY opened = nullptr;
    {
        CRegKey other;
        ASSERT_EQ(ERROR_SUCCESS, other.Open(HKEY_CURRENT_USER, kScratch, KEY_READ));
        opened = other;
        other = std::move(key);   // the one it opened goes, the one made is kept
        EXPECT_EQ(nullptr, static_cast<HKEY>(key));
        EXPECT_FALSE(IsOpen(opened));
        EXPECT_TRUE(IsOpen(made));
    }
    EXPECT_FALSE(IsOpen(made));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, kScratch));
    RegDeleteKeyW(HKEY_CURRENT_USER, kParent);
}

}  // namespace
