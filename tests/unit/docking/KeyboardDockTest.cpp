// The ways into docking that name a window rather than a row: the hotkeys'
// (the window in front docked as its menu row would dock it, the docked
// windows brought back latest first) and the handle's, for rules and the
// command line, which leaves the catalogue as it was.
#include "tests/unit/docking/DockTestSupport.h"

#include <gtest/gtest.h>

using docktest::SysCommands;
using docktest::WithDialog;
using Seq = std::vector<std::string>;

namespace {

constexpr DWORD kNormal = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

TEST(KeyboardDock, DocksTheWindowInFrontButNeverOurOwnOrTheShells)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog ours("Ours", kNormal);
        for (HWND refused : {dlg.m_hWnd, FindWindowA("Shell_TrayWnd", nullptr), GetDesktopWindow()})
            EXPECT_EQ(0, dlg.Docker().DockWindow(refused, dlg.TrayIcon().m_hWnd)) << refused;
        // A window of this thread in front could be an open popup's, whose
        // rows name places in the catalogue: the hotkey leaves it.
        SetForegroundWindow(ours.hwnd());
        SendMessageA(dlg.m_hWnd, WM_HOTKEY, 1, 0);   // the dock action's id
        EXPECT_EQ(0, dlg.Docker().Docked().GetSize());

        docktest::StallingWindow front("Front window", WM_APP + 1);   // another thread's; never stalls
        ASSERT_TRUE(SetForegroundWindow(front.hwnd()));
        SendMessageA(dlg.m_hWnd, WM_HOTKEY, 1, 0);
        ASSERT_EQ(1, dlg.Docker().Docked().GetSize());
        const DockEntry* e = dlg.Docker().Docked()[0];
        EXPECT_EQ(front.hwnd(), e->hWnd);
        EXPECT_TRUE(!IsWindowVisible(e->hWnd) && IsIconic(e->hWnd));
        EXPECT_STREQ(L"Front window", e->pTrayIcon->m_szTip);
        dlg.Docker().UndockAll();
    });
}

TEST(KeyboardDock, UndockLatestGoesBackInDockingOrderSkippingWindowsDestroyedOrShownMeanwhile)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog first("First", kNormal), maximized("Maximized", kNormal), reshown("Shown again", kNormal);
        auto* destroyed = new test::MessageLog("Destroyed", kNormal);
        ShowWindow(maximized.hwnd(), SW_MAXIMIZE);
        for (HWND h : {first.hwnd(), maximized.hwnd(), reshown.hwnd(), destroyed->hwnd()})
            ASSERT_NE(nullptr, docktest::Dock(dlg, h));
        // Their programs destroy one and show another; the sweep has not run.
        delete destroyed;
        ShowWindow(reshown.hwnd(), SW_SHOW);
        for (test::MessageLog* log : {&first, &maximized, &reshown})
            log->clear();
        const HWND iconMaximized = dlg.Docker().Docked()[1]->pTrayIcon->m_hWnd;

        EXPECT_TRUE(dlg.Docker().UndockLatest());
        EXPECT_TRUE(IsWindowVisible(maximized.hwnd()));
        EXPECT_FALSE(IsWindow(iconMaximized));
        EXPECT_TRUE(dlg.Docker().UndockLatest());
        EXPECT_TRUE(IsWindowVisible(first.hwnd()));
        EXPECT_FALSE(dlg.Docker().UndockLatest());
        EXPECT_EQ(2, dlg.Docker().Docked().GetSize()) << "the sweep's to drop";
        test::PumpFor(100);
        EXPECT_EQ(Seq{"MAX"}, SysCommands(maximized));
        EXPECT_EQ(Seq{"RESTORE"}, SysCommands(first));
        EXPECT_EQ(Seq{}, SysCommands(reshown)) << "not ours to touch";
    });
}

TEST(DockByHandle, DocksOnlyWhatTheMenuListsAndLeavesTheCatalogueAlone)
{
    docktest::OwnWindowsOnly own;
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog listed("Listed", kNormal), other("Other listed", kNormal);
        test::MessageLog hidden("Hidden", WS_OVERLAPPEDWINDOW), untitled("", kNormal);
        const HWND owned = CreateWindowExA(0, "STATIC", "Owned", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, listed.hwnd(),
                                           nullptr, nullptr, nullptr);
        // What the main menu would list, walked without a catalogue.
        std::vector<HWND> walked;
        dlg.Docker().WalkListed([](HWND h, LPCWSTR, void* v) {
            static_cast<std::vector<HWND>*>(v)->push_back(h);
            return true;
        }, &walked);
        dlg.Docker().BuildWindowList();
        EXPECT_EQ(docktest::Handles(dlg.Docker().Windows()), walked);
        const std::vector<HWND> catalogue = docktest::Handles(dlg.Docker().Windows());

        for (HWND refused : {dlg.m_hWnd, hidden.hwnd(), untitled.hwnd(), owned, static_cast<HWND>(nullptr)})
            EXPECT_FALSE(dlg.Docker().DockListed(refused)) << refused;
        ASSERT_TRUE(dlg.Docker().DockListed(listed.hwnd()));
        EXPECT_FALSE(dlg.Docker().DockListed(listed.hwnd())) << "docked already";
        ASSERT_EQ(1, dlg.Docker().Docked().GetSize());
        const DockEntry* e = dlg.Docker().Docked()[0];
        EXPECT_TRUE(!IsWindowVisible(listed.hwnd()) && IsIconic(listed.hwnd()));
        EXPECT_STREQ(L"Listed", e->pTrayIcon->m_szTip);
        EXPECT_EQ(catalogue, docktest::Handles(dlg.Docker().Windows())) << "the catalogue changed";
        DestroyWindow(owned);
        dlg.Docker().UndockAll();
        EXPECT_TRUE(IsWindowVisible(listed.hwnd()));
    });
}

}  // namespace
