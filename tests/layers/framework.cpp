// Linked with framework/ alone: the bottom of the program stands by itself.
#include "framework/Wnd.h"

#include <gtest/gtest.h>

TEST(FrameworkAlone, MakesAndDestroysAPlainWindow)
{
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, RegisterPlainWndClass(0), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(nullptr, wnd.m_hWnd);
}
