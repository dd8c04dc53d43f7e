// Linked with menu/ and framework/ alone: the popup needs nothing of the
// folders above it.
#include "menu/MenuEx.h"

#include <gtest/gtest.h>

TEST(MenuAlone, APopupIsFilledOnlyWhileItIsAliveAndEmpty)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, RegisterPlainWndClass(0), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const void* address = nullptr;
    {
        CMenuEx menu;
        address = &menu;
        ASSERT_TRUE(menu.Create(owner.m_hWnd));
        EXPECT_EQ(&menu, CMenuEx::ToFill(address, owner.m_hWnd));
        EXPECT_EQ(nullptr, CMenuEx::ToFill(address, nullptr)) << "for another owner";
        menu.AddItem(0, 150, L"A row", nullptr, FALSE);
        EXPECT_EQ(nullptr, CMenuEx::ToFill(address, owner.m_hWnd)) << "filled already";
        menu.Close();
    }
    EXPECT_FALSE(CMenuEx::IsLiveMenu(address));
    owner.DestroyWindow();
}
