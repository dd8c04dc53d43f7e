// The dock commands, seen from the windows they drive: the messages each
// window receives (sent ones arrive during the command, posted ones only
// once the queue is pumped), its state afterwards, and the two lists.
#include "tests/unit/docking/DockTestSupport.h"

#include <gtest/gtest.h>

using docktest::Command;
using docktest::Dock;
using docktest::IndexOf;
using docktest::OwnIcon;
using docktest::SysCommands;
using docktest::WithDialog;
using Seq = std::vector<std::string>;

namespace {

constexpr DWORD kNormal = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

LPARAM IconOf(const DockEntry* e)
{
    return reinterpret_cast<LPARAM>(e->pTrayIcon->m_hWnd);
}

// Showing calls that reached the window: +1 shown, -1 hidden.
std::vector<int> Shows(const test::MessageLog& log)
{
    std::vector<int> out;
    for (const test::Msg& m : log.only({WM_SHOWWINDOW}))
        out.push_back(m.wParam ? 1 : -1);
    return out;
}

void Settle()
{
    test::PumpFor(100);
}

// Each window shown again and sent what the undock rule gives its state:
// restore, nothing (it stays minimized), maximize.
void ExpectBackByTheUndockRule(const test::MessageLog& normal, const test::MessageLog& minimized,
                               const test::MessageLog& maximized)
{
    EXPECT_EQ(Seq{"RESTORE"}, SysCommands(normal));
    EXPECT_EQ(Seq{}, SysCommands(minimized));
    EXPECT_EQ(Seq{"MAX"}, SysCommands(maximized));
    EXPECT_TRUE(IsWindowVisible(normal.hwnd()) && IsWindowVisible(minimized.hwnd()) &&
                IsWindowVisible(maximized.hwnd()));
}

TEST(Dock, ANormalWindowIsMinimizedHiddenAndGetsItsIcon)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog w("Normal window", kNormal);
        dlg.Docker().BuildWindowList();
        const int n = IndexOf(dlg.Docker().Windows(), w.hwnd());
        ASSERT_GE(n, 0);
        DockEntry* e = dlg.Docker().Windows()[n];
        const int before = dlg.Docker().Windows().GetSize();
        w.clear();

        EXPECT_EQ(1, Command(dlg, ID_DOCK_FIRST + n, OwnIcon(dlg)));
        // Sent and handled before the window was hidden.
        EXPECT_EQ(Seq{"MIN"}, SysCommands(w));
        EXPECT_EQ(std::vector<int>{-1}, Shows(w));
        EXPECT_FALSE(IsWindowVisible(w.hwnd()));
        EXPECT_TRUE(IsIconic(w.hwnd()));
        EXPECT_EQ(before - 1, dlg.Docker().Windows().GetSize());
        EXPECT_EQ(-1, IndexOf(dlg.Docker().Windows(), w.hwnd()));
        ASSERT_EQ(1, dlg.Docker().Docked().GetSize());
        EXPECT_EQ(e, dlg.Docker().Docked()[0]);
        EXPECT_FALSE(e->bWasIconic);
        EXPECT_FALSE(e->bWasZoomed);
        ASSERT_NE(nullptr, e->pTrayIcon);
        EXPECT_TRUE(IsWindow(e->pTrayIcon->m_hWnd));
        EXPECT_STREQ(L"Normal window", e->pTrayIcon->m_szTip);
        EXPECT_EQ(e->hIcon, e->pTrayIcon->m_hTrayIcon);
        EXPECT_EQ(dlg.m_hWnd, e->pTrayIcon->m_hWndOwner);
        Settle();
        EXPECT_EQ(Seq{"MIN"}, SysCommands(w)) << "nothing posted";

        // UnDock: shown at once, the restore posted.
        const HWND icon = e->pTrayIcon->m_hWnd;
        w.clear();
        EXPECT_EQ(1, Command(dlg, ID_UNDOCK, IconOf(e)));
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
        EXPECT_EQ(Seq{}, SysCommands(w));
        EXPECT_EQ(0, dlg.Docker().Docked().GetSize());
        EXPECT_FALSE(IsWindow(icon));
        Settle();
        EXPECT_EQ(Seq{"RESTORE"}, SysCommands(w));
        EXPECT_FALSE(IsIconic(w.hwnd()));
        EXPECT_FALSE(IsZoomed(w.hwnd()));
    });
}

TEST(Dock, AMinimizedWindowGetsNoMinimizeAndStaysMinimizedOnUndock)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog w("Minimized window", kNormal);
        ShowWindow(w.hwnd(), SW_MINIMIZE);
        dlg.Docker().BuildWindowList();
        w.clear();
        DockEntry* e = Dock(dlg, w.hwnd());
        ASSERT_NE(nullptr, e);
        EXPECT_TRUE(e->bWasIconic);
        EXPECT_FALSE(e->bWasZoomed);
        EXPECT_EQ(Seq{}, SysCommands(w));
        EXPECT_FALSE(IsWindowVisible(w.hwnd()));

        w.clear();
        Command(dlg, ID_UNDOCK, IconOf(e));
        Settle();
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
        EXPECT_TRUE(IsIconic(w.hwnd()));
        EXPECT_EQ(Seq{}, SysCommands(w)) << "nothing is posted";
    });
}

TEST(Dock, AMaximizedWindowComesBackMaximizedOrRestoredToNormal)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog w("Maximized window", kNormal);
        ShowWindow(w.hwnd(), SW_MAXIMIZE);
        w.clear();
        DockEntry* e = Dock(dlg, w.hwnd());
        ASSERT_NE(nullptr, e);
        EXPECT_FALSE(e->bWasIconic);
        EXPECT_TRUE(e->bWasZoomed);
        EXPECT_EQ(Seq{"MIN"}, SysCommands(w));

        w.clear();
        Command(dlg, ID_UNDOCK, IconOf(e));
        Settle();
        EXPECT_EQ(Seq{"MAX"}, SysCommands(w));
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
        EXPECT_TRUE(IsZoomed(w.hwnd()));

        // Docked maximized again, then Restore: twice, back to normal size.
        e = Dock(dlg, w.hwnd());
        ASSERT_NE(nullptr, e);
        EXPECT_TRUE(e->bWasZoomed);
        w.clear();
        Command(dlg, ID_RESTORE, IconOf(e));
        EXPECT_EQ(Seq{}, SysCommands(w));
        Settle();
        EXPECT_EQ((Seq{"RESTORE", "RESTORE"}), SysCommands(w));
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
        EXPECT_FALSE(IsZoomed(w.hwnd()));
        EXPECT_FALSE(IsIconic(w.hwnd()));
        EXPECT_EQ(0, dlg.Docker().Docked().GetSize());
    });
}

TEST(PerWindowCommands, MinimizeMaximizeAndExitDriveAndUndock)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog a("Window to minimize", kNormal);
        test::MessageLog b("Window to maximize", kNormal);
        test::MessageLog c("Window to close", kNormal);
        DockEntry* ea = Dock(dlg, a.hwnd());
        DockEntry* eb = Dock(dlg, b.hwnd());
        DockEntry* ec = Dock(dlg, c.hwnd());
        ASSERT_TRUE(ea && eb && ec);
        ASSERT_EQ(3, dlg.Docker().Docked().GetSize());
        const HWND iconA = ea->pTrayIcon->m_hWnd;
        a.clear();
        b.clear();
        c.clear();

        Command(dlg, ID_MINIMIZE, reinterpret_cast<LPARAM>(iconA));
        Command(dlg, ID_MAXIMIZE, IconOf(eb));
        Command(dlg, ID_CLOSE_WINDOW, IconOf(ec));
        EXPECT_EQ(0, dlg.Docker().Docked().GetSize());
        EXPECT_FALSE(IsWindow(iconA));
        EXPECT_EQ(std::vector<int>{1}, Shows(a));
        Settle();
        EXPECT_EQ(Seq{"MIN"}, SysCommands(a));
        EXPECT_TRUE(IsWindowVisible(a.hwnd()));
        EXPECT_TRUE(IsIconic(a.hwnd()));
        EXPECT_EQ(Seq{"MAX"}, SysCommands(b));
        EXPECT_TRUE(IsZoomed(b.hwnd()));
        EXPECT_EQ(Seq{"CLOSE"}, SysCommands(c));
        EXPECT_EQ(1u, c.count(WM_CLOSE));
        EXPECT_FALSE(IsWindow(c.hwnd()));

        // From an icon that is no longer there: nothing.
        a.clear();
        EXPECT_EQ(1, Command(dlg, ID_RESTORE, reinterpret_cast<LPARAM>(iconA)));
        Settle();
        EXPECT_EQ(Seq{}, SysCommands(a));
    });
}

TEST(DoubleClick, OnADockedIconRebuildsAndUndocks)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog w("Docked window", kNormal);
        test::MessageLog other("Other window", kNormal);
        // Catalogued with the others, then destroyed: a stale record.
        auto* gone = new test::MessageLog("Gone window", kNormal);
        const HWND stale = gone->hwnd();
        DockEntry* e = Dock(dlg, w.hwnd());
        ASSERT_NE(nullptr, e);
        delete gone;
        ASSERT_GE(IndexOf(dlg.Docker().Windows(), stale), 0);
        w.clear();
        other.clear();

        EXPECT_EQ(1, Command(dlg, ID_MINIMIZE_ALL, IconOf(e)));
        EXPECT_EQ(-1, IndexOf(dlg.Docker().Windows(), stale));
        EXPECT_GE(IndexOf(dlg.Docker().Windows(), other.hwnd()), 0);
        EXPECT_EQ(0, dlg.Docker().Docked().GetSize());
        Settle();
        EXPECT_EQ(Seq{"RESTORE"}, SysCommands(w));
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
        EXPECT_EQ(Seq{}, SysCommands(other)) << "not minimized: the click was on a docked icon";
    });
}

TEST(DoubleClick, OnTheOwnIconMinimizesListedWindowsThatAreNotMinimized)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog normal("Normal window", kNormal);
        test::MessageLog maximized("Maximized window", kNormal);
        test::MessageLog minimized("Minimized window", kNormal);
        test::MessageLog hidden("Hidden window", WS_OVERLAPPEDWINDOW);
        test::MessageLog docked("Docked window", kNormal);
        ShowWindow(maximized.hwnd(), SW_MAXIMIZE);
        ShowWindow(minimized.hwnd(), SW_MINIMIZE);
        ASSERT_NE(nullptr, Dock(dlg, docked.hwnd()));
        for (test::MessageLog* log : {&normal, &maximized, &minimized, &hidden, &docked})
            log->clear();

        EXPECT_EQ(1, Command(dlg, ID_MINIMIZE_ALL, OwnIcon(dlg)));
        EXPECT_EQ(Seq{}, SysCommands(normal)) << "posted, not sent";
        Settle();
        EXPECT_EQ(Seq{"MIN"}, SysCommands(normal));
        EXPECT_EQ(Seq{"MIN"}, SysCommands(maximized));
        EXPECT_EQ(Seq{}, SysCommands(minimized));
        EXPECT_EQ(Seq{}, SysCommands(hidden));
        EXPECT_EQ(Seq{}, SysCommands(docked));
        EXPECT_EQ(1, dlg.Docker().Docked().GetSize());
        EXPECT_TRUE(IsIconic(normal.hwnd()));
    });
}

TEST(AllWindows, CloseAllReachesOnlyCatalogedWindows)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog a("Window A", kNormal);
        test::MessageLog b("Window B", kNormal);
        test::MessageLog docked("Docked window", kNormal);
        ASSERT_NE(nullptr, Dock(dlg, docked.hwnd()));
        {
            docktest::OwnWindowsOnly own;
            dlg.Docker().BuildWindowList();
        }
        ASSERT_EQ(2, dlg.Docker().Windows().GetSize());
        // Opened after the menu was composed: not in the catalogue.
        test::MessageLog late("Late window", kNormal);
        for (test::MessageLog* log : {&a, &b, &docked, &late})
            log->clear();

        EXPECT_EQ(1, Command(dlg, ID_CLOSE_ALL, OwnIcon(dlg)));
        Settle();
        EXPECT_EQ(Seq{"CLOSE"}, SysCommands(a));
        EXPECT_EQ(Seq{"CLOSE"}, SysCommands(b));
        EXPECT_FALSE(IsWindow(a.hwnd()));
        EXPECT_EQ(Seq{}, SysCommands(docked));
        EXPECT_EQ(Seq{}, SysCommands(late));
        EXPECT_EQ(1, dlg.Docker().Docked().GetSize());
        EXPECT_FALSE(IsWindowVisible(docked.hwnd()));
        // The catalogue was not rebuilt: its records still name the windows.
        EXPECT_EQ(2, dlg.Docker().Windows().GetSize());
    });
}

TEST(AllWindows, UndockAllWithNothingDockedDoesNothing)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog w("Window", kNormal);
        dlg.Docker().BuildWindowList();
        const int listed = dlg.Docker().Windows().GetSize();
        w.clear();
        EXPECT_EQ(1, Command(dlg, ID_UNDOCK_ALL, OwnIcon(dlg)));
        Settle();
        EXPECT_EQ(0, dlg.Docker().Docked().GetSize());
        EXPECT_EQ(listed, dlg.Docker().Windows().GetSize());
        EXPECT_EQ(0u, w.count(WM_SYSCOMMAND) + w.count(WM_SHOWWINDOW));
    });
}

TEST(AllWindows, UndockAllBringsEachBackByTheUndockRule)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog normal("Normal window", kNormal);
        test::MessageLog minimized("Minimized window", kNormal);
        test::MessageLog maximized("Maximized window", kNormal);
        ShowWindow(minimized.hwnd(), SW_MINIMIZE);
        ShowWindow(maximized.hwnd(), SW_MAXIMIZE);
        std::vector<HWND> icons;
        for (HWND h : {normal.hwnd(), minimized.hwnd(), maximized.hwnd()}) {
            DockEntry* e = Dock(dlg, h);
            ASSERT_NE(nullptr, e);
            icons.push_back(e->pTrayIcon->m_hWnd);
        }
        for (test::MessageLog* log : {&normal, &minimized, &maximized})
            log->clear();

        EXPECT_EQ(1, Command(dlg, ID_UNDOCK_ALL, OwnIcon(dlg)));
        EXPECT_EQ(0, dlg.Docker().Docked().GetSize());
        for (HWND icon : icons)
            EXPECT_FALSE(IsWindow(icon));
        Settle();
        ExpectBackByTheUndockRule(normal, minimized, maximized);
        EXPECT_TRUE(IsIconic(minimized.hwnd()));
        EXPECT_TRUE(IsZoomed(maximized.hwnd()));
    });
}

TEST(RefusedDocks, ChangeNothingAndAnswerAsTheyShould)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog w("Window", kNormal);
        test::MessageLog closing("Window that closes", kNormal);
        DockEntry* docked = Dock(dlg, w.hwnd());
        ASSERT_NE(nullptr, docked);
        const LPARAM dockedIcon = IconOf(docked);
        // Its program shows it again before the sweep has run.
        ShowWindow(w.hwnd(), SW_SHOWNORMAL);
        dlg.Docker().BuildWindowList();
        const int n = dlg.Docker().Windows().GetSize();
        const int again = IndexOf(dlg.Docker().Windows(), w.hwnd());
        const int gone = IndexOf(dlg.Docker().Windows(), closing.hwnd());
        ASSERT_GE(again, 0);
        ASSERT_GE(gone, 0);
        DestroyWindow(closing.hwnd());
        w.clear();

        struct Case {
            WPARAM command;
            LPARAM icon;
            LRESULT result;
            const char* what;
        } cases[] = {
            {ID_DOCK_FIRST + static_cast<WPARAM>(n), OwnIcon(dlg), 1, "index equal to the count"},
            {ID_DOCK_FIRST + static_cast<WPARAM>(n) + 7, OwnIcon(dlg), 1, "index beyond the count"},
            {ID_DOCK_FIRST + static_cast<WPARAM>(again), 0, 1, "no icon handle"},
            {ID_DOCK_FIRST + static_cast<WPARAM>(gone), OwnIcon(dlg), 0, "window closed"},
            {ID_DOCK_FIRST + static_cast<WPARAM>(again), OwnIcon(dlg), 0, "window docked already"},
            {0x10000u + ID_DOCK_FIRST + static_cast<WPARAM>(again), OwnIcon(dlg), 1, "upper half set on a dock"},
            {0x10000u + ID_UNDOCK, dockedIcon, 1, "upper half set on UnDock"},
            {0x10000u + ID_CLOSE_ALL, OwnIcon(dlg), 1, "upper half set on Close All"},
            {139, OwnIcon(dlg), 1, "below the table"},
        };
        for (const Case& c : cases) {
            EXPECT_EQ(c.result, Command(dlg, c.command, c.icon)) << c.what;
            EXPECT_EQ(n, dlg.Docker().Windows().GetSize()) << c.what;
            EXPECT_EQ(1, dlg.Docker().Docked().GetSize()) << c.what;
            EXPECT_EQ(docked, dlg.Docker().Docked()[0]) << c.what;
        }
        EXPECT_GE(IndexOf(dlg.Docker().Windows(), closing.hwnd()), 0) << "stays until the next rebuild";
        Settle();
        EXPECT_EQ(0u, w.count(WM_SYSCOMMAND) + w.count(WM_SHOWWINDOW)) << test::Describe(w.all());
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
    });
}

TEST(Sweep, DropsDestroyedAndReshownWindowsWithoutTouchingThem)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog kept("Stays hidden", kNormal);
        test::MessageLog reshown("Shown again", kNormal);
        auto* destroyed = new test::MessageLog("Destroyed", kNormal);
        DockEntry* ek = Dock(dlg, kept.hwnd());
        DockEntry* er = Dock(dlg, reshown.hwnd());
        DockEntry* ed = Dock(dlg, destroyed->hwnd());
        ASSERT_TRUE(ek && er && ed);
        const HWND iconR = er->pTrayIcon->m_hWnd, iconD = ed->pTrayIcon->m_hWnd;
        delete destroyed;
        // Shown again by its program, still minimized.
        ShowWindow(reshown.hwnd(), SW_SHOW);
        reshown.clear();
        kept.clear();

        EXPECT_TRUE(test::PumpUntil([&] { return dlg.Docker().Docked().GetSize() == 1; }, 2500));
        ASSERT_EQ(1, dlg.Docker().Docked().GetSize());
        EXPECT_EQ(kept.hwnd(), dlg.Docker().Docked()[0]->hWnd);
        EXPECT_FALSE(IsWindow(iconR));
        EXPECT_FALSE(IsWindow(iconD));
        EXPECT_EQ(0u, reshown.count(WM_SYSCOMMAND) + reshown.count(WM_SHOWWINDOW)) << test::Describe(reshown.all());
        EXPECT_EQ(0u, kept.count(WM_SYSCOMMAND) + kept.count(WM_SHOWWINDOW));
        EXPECT_TRUE(IsIconic(reshown.hwnd()));
    });
}

// A popup opened while an undock waits on a window (a click on an icon is
// dispatched in the wait) runs the sweep in its loop: here the sweep runs as
// the window shows.
TEST(Sweep, RunInsideAnUndockLeavesTheOtherWindowsDocked)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog first("Back first", kNormal), second("Back with all", kNormal), third("Back last", kNormal);
        DockEntry* e = Dock(dlg, first.hwnd());
        ASSERT_TRUE(e && Dock(dlg, second.hwnd()) && Dock(dlg, third.hwnd()));
        first.answer = second.answer = [&dlg](HWND, UINT message, WPARAM, LPARAM lParam, bool& handled) -> LRESULT {
            if (message == WM_WINDOWPOSCHANGED && (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
                dlg.Docker().Sweep();
            handled = false;
            return 0;
        };

        Command(dlg, ID_UNDOCK, IconOf(e));
        EXPECT_EQ((std::vector<HWND>{second.hwnd(), third.hwnd()}), docktest::Handles(dlg.Docker().Docked()));
        EXPECT_FALSE(IsWindowVisible(second.hwnd()) || IsWindowVisible(third.hwnd()));

        Command(dlg, ID_UNDOCK_ALL, OwnIcon(dlg));
        EXPECT_EQ(0, dlg.Docker().Docked().GetSize());
        EXPECT_TRUE(IsWindowVisible(second.hwnd()) && IsWindowVisible(third.hwnd())) << "none is left hidden";
    });
}

TEST(Options, ShowsTheDialog)
{
    WithDialog([](CTrayDockDlg& dlg) {
        ASSERT_FALSE(IsWindowVisible(dlg.m_hWnd));
        EXPECT_EQ(1, Command(dlg, ID_OPTIONS, OwnIcon(dlg)));
        EXPECT_TRUE(dlg.ShowAllowed());
        EXPECT_TRUE(test::PumpUntil([&] { return IsWindowVisible(dlg.m_hWnd) != FALSE; }));
        ShowWindow(dlg.m_hWnd, SW_HIDE);
    });
}

// Windows that outlive the dialog, to see what its end leaves them in.
TEST(Exit, QuitsAndBringsEveryDockedWindowBack)
{
    test::MessageLog normal("Normal window", kNormal);
    test::MessageLog minimized("Minimized window", kNormal);
    test::MessageLog maximized("Maximized window", kNormal);
    ShowWindow(minimized.hwnd(), SW_MINIMIZE);
    ShowWindow(maximized.hwnd(), SW_MAXIMIZE);
    std::vector<HWND> icons;
    const INT_PTR result = WithDialog([&](CTrayDockDlg& dlg) {
        for (HWND h : {normal.hwnd(), minimized.hwnd(), maximized.hwnd()}) {
            DockEntry* e = Dock(dlg, h);
            ASSERT_NE(nullptr, e);
            icons.push_back(e->pTrayIcon->m_hWnd);
        }
        for (test::MessageLog* log : {&normal, &minimized, &maximized})
            log->clear();
        EXPECT_EQ(1, Command(dlg, ID_APP_EXIT_TRAY, OwnIcon(dlg)));
        EXPECT_EQ(3, dlg.Docker().Docked().GetSize()) << "nothing happens before the loop ends";
    });
    EXPECT_EQ(-1, result) << "the quit message ended the dialog's loop";
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, quit.wParam);
    for (HWND icon : icons)
        EXPECT_FALSE(IsWindow(icon));
    Settle();
    ExpectBackByTheUndockRule(normal, minimized, maximized);
    EXPECT_FALSE(IsIconic(normal.hwnd()));
    EXPECT_TRUE(IsIconic(minimized.hwnd()));
    EXPECT_TRUE(IsZoomed(maximized.hwnd()));
}

TEST(HungWindow, IsDockedWithoutWaitingForIt)
{
    WithDialog([](CTrayDockDlg& dlg) {
        // Its thread stops pumping when the minimize arrives. The sweep
        // reads the title of every docked window; of a window of this
        // process that is a message to its thread, which the stall holds
        // up until it ends by itself: after five seconds, not thirty.
        docktest::StallingWindow hung("Hung window", WM_SYSCOMMAND, 5000);
        {
            docktest::OwnWindowsOnly own;
            dlg.Docker().BuildWindowList();
        }
        ASSERT_EQ(1, dlg.Docker().Windows().GetSize());
        DockEntry* entry = dlg.Docker().Windows()[0];
        ASSERT_EQ(hung.hwnd(), entry->hWnd);

        EXPECT_EQ(1, Command(dlg, ID_DOCK_FIRST, OwnIcon(dlg)));
        EXPECT_TRUE(hung.Stalled()) << "the command waited for the window";
        ASSERT_EQ(1, dlg.Docker().Docked().GetSize());
        EXPECT_EQ(entry, dlg.Docker().Docked()[0]);
        EXPECT_FALSE(entry->bWasIconic);
        EXPECT_FALSE(entry->bWasZoomed);
        ASSERT_NE(nullptr, entry->pTrayIcon);
        // The hide waits in the window's queue until it pumps again; the
        // sweep meanwhile keeps the record of a window still to be hidden,
        // or the window would be hidden with no icon.
        dlg.Docker().Sweep();
        ASSERT_EQ(1, dlg.Docker().Docked().GetSize()) << "the sweep dropped a window whose hide was still queued";
        hung.Release();
        EXPECT_TRUE(test::PumpUntil([&] { return !IsWindowVisible(hung.hwnd()); }));
        EXPECT_TRUE(IsIconic(hung.hwnd()));
        dlg.Docker().Sweep();
        EXPECT_EQ(1, dlg.Docker().Docked().GetSize());
    });
}

}  // namespace
