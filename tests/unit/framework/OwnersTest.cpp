// The owners of kernel handles and registry keys close what they hold
// exactly once, whichever owner it was moved to, and nothing they were not
// given. (The GDI owners share their code, and the leak tests count them.)
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

TEST(Owners, CloseOnceWhereverTheyWereMoved)
{
    const HANDLE a = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE b = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        CHandle first(a);
        CHandle second(std::move(first));
        CHandle third(b);
        third = std::move(second);   // b goes, a is kept
        EXPECT_FALSE(first);
        EXPECT_FALSE(IsOpen(b));
        EXPECT_TRUE(IsOpen(a));
    }
    EXPECT_FALSE(IsOpen(a));
    const HANDLE c = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(c, CHandle(c).Detach());
    EXPECT_TRUE(IsOpen(c));
    CloseHandle(c);
    // What the system answers for a failure is held as nothing.
    EXPECT_FALSE(CHandle(INVALID_HANDLE_VALUE));

    const wchar_t kScratch[] = L"Software\\TrayletTests\\Owners";
    RegDeleteKeyW(HKEY_CURRENT_USER, kScratch);
    CRegKey key;
    EXPECT_NE(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kScratch, KEY_READ));
    EXPECT_NE(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kScratch, KEY_READ)) << "opening made it";
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, kScratch, REG_OPTION_NON_VOLATILE, KEY_READ));
    const HKEY made = key;
    {
        CRegKey other(std::move(key));
        EXPECT_EQ(nullptr, static_cast<HKEY>(key));
    }
    EXPECT_NE(ERROR_SUCCESS, RegQueryInfoKeyW(made, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr))
        << "still open";
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, kScratch));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TrayletTests");
}

}  // namespace
