// The texts of windows: titles that follow docked windows into their
// tooltips, and the line that /list prints of a window whatever its title holds.
#include "docking/WindowList.h"
#include "tests/unit/docking/DockTestSupport.h"
#include "tests/unit/tray/FakeTrayShell.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TitleFollows, ANewTitleBecomesTheTooltipCutAsAtDockTimeAndOnlyWhenItChanged)
{
    docktest::OwnWindowsOnly own;
    test::FakeTrayShell shell;
    docktest::WithDialog([&](CTrayDockDlg& dlg) {
        // A Unicode window: its title keeps what no code page has.
        const HWND w = CreateWindowExW(0, L"STATIC", L"Inbox", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200, 100,
                                       nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(dlg.Docker().DockListed(w));
        const DockEntry* e = dlg.Docker().Docked()[0];
        const HWND icon = e->pTrayIcon->m_hWnd;
        dlg.Docker().Sweep();
        EXPECT_TRUE(shell.Calls(NIM_MODIFY, icon).empty()) << "the title did not change";

        SetWindowTextW(w, L"Входящие (3)");
        dlg.Docker().RefreshTitle(w);
        ASSERT_EQ(1u, shell.Calls(NIM_MODIFY, icon).size());
        EXPECT_STREQ(L"Входящие (3)", shell.Calls(NIM_MODIFY, icon)[0].nid.szTip);

        // The sweep sees the next: 98 units kept, never half a pair.
        SetWindowTextW(w, (std::wstring(97, L'm') + L"\xD83D\xDCE8 more").c_str());
        dlg.Docker().Sweep();
        ASSERT_EQ(2u, shell.Calls(NIM_MODIFY, icon).size());
        EXPECT_EQ(std::wstring(97, L'm'), e->pTrayIcon->m_szTip);
        EXPECT_EQ(std::wstring(63, L'm'), shell.Calls(NIM_MODIFY, icon)[1].nid.szTip);
        dlg.Docker().UndockAll();
        DestroyWindow(w);
    });
}

TEST(WindowList, ALineIsFiveFieldsWhateverTheTitleHolds)
{
    WCHAR line[kMaxWindowLine];
    const HWND high = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(0xFFFF8002u)));
    FormatWindowLine({high, true, false, true, nullptr, L"Inbox\t(3)\r\nnew"}, line);
    EXPECT_STREQ(L"0xffff8002\tdocked\tmaximized\t-\tInbox (3)  new\r\n", line);
}

}  // namespace
