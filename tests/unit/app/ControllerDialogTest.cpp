#include "app/TrayDockApp.h"
#include "docking/Commands.h"
#include "res/resource.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/app/DialogScenario.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Visible(const CTrayDockDlg& dlg) { return IsWindowVisible(dlg.m_hWnd) != FALSE; }

// "Options" as the program's own icon asks for it: from then on the dialog
// may show, and it is shown.
void ShowOptions(CTrayDockDlg& d)
{
    SendMessageA(d.m_hWnd, WM_TRAY_COMMAND, ID_OPTIONS, reinterpret_cast<LPARAM>(d.TrayIcon().m_hWnd));
}

TEST(ControllerDialog, StaysInvisibleUntilOptionsAllowsIt)
{
    DialogScenario s;
    bool hiddenAtFirstTick = false, hiddenAfterShow = false, hiddenAfterIdle = false, shownWhenAllowed = false;
    s.then([&](CTrayDockDlg& d) {
         hiddenAtFirstTick = !Visible(d);
         ShowWindow(d.m_hWnd, SW_SHOWNORMAL);
         SetWindowPos(d.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
         hiddenAfterShow = !Visible(d);
     })
        .then([&](CTrayDockDlg& d) { hiddenAfterIdle = !Visible(d); })
        .then([&](CTrayDockDlg& d) {
            ShowOptions(d);
            shownWhenAllowed = Visible(d);
        });
    // The template says WS_VISIBLE, and the loop tries to show the dialog
    // once the queue is idle: neither may succeed.
    s.run();
    EXPECT_TRUE(hiddenAtFirstTick);
    EXPECT_TRUE(hiddenAfterShow);
    EXPECT_TRUE(hiddenAfterIdle);
    EXPECT_TRUE(shownWhenAllowed);
}

TEST(ControllerDialog, WindowMenuHasNoSizeAndNoMaximize)
{
    DialogScenario s;
    std::vector<UINT> ids;
    s.then([&](CTrayDockDlg& d) {
        HMENU menu = GetSystemMenu(d.m_hWnd, FALSE);
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i)
            ids.push_back(GetMenuItemID(menu, i));
    });
    s.run();
    // Restore, Move, Minimize, a separator, Close; Wine appends items of its
    // own after these, which the program neither adds nor removes.
    ASSERT_GE(ids.size(), 5u);
    EXPECT_EQ(static_cast<UINT>(SC_RESTORE), ids[0]);
    EXPECT_EQ(static_cast<UINT>(SC_MOVE), ids[1]);
    EXPECT_EQ(static_cast<UINT>(SC_MINIMIZE), ids[2]);
    EXPECT_EQ(0u, ids[3]);
    EXPECT_EQ(static_cast<UINT>(SC_CLOSE), ids[4]);
    for (UINT id : ids) {
        EXPECT_NE(static_cast<UINT>(SC_SIZE), id);
        EXPECT_NE(static_cast<UINT>(SC_MAXIMIZE), id);
    }
}

TEST(ControllerDialog, QueuedCloseHidesAndTheLoopGoesOn)
{
    DialogScenario s;
    bool shown = false, hiddenByCancel = false, shownAgain = false, hiddenByOk = false, hiddenByEscape = false,
         stillThere = false;
    s.then([&](CTrayDockDlg& d) {
         ShowOptions(d);
         shown = Visible(d);
         PostMessageA(d.m_hWnd, WM_COMMAND, IDCANCEL, 0);
     })
        .then([&](CTrayDockDlg& d) {
            hiddenByCancel = !Visible(d);
            ShowWindow(d.m_hWnd, SW_SHOW);
            shownAgain = Visible(d);
            PostMessageA(d.m_hWnd, WM_CLOSE, 0, 0);   // the close button's way: the system posts IDCANCEL
        })
        .then([&](CTrayDockDlg& d) {
            hiddenByOk = !Visible(d);
            ShowWindow(d.m_hWnd, SW_SHOW);
            PostMessageA(d.m_hWnd, WM_COMMAND, IDOK, 0);
        })
        .then([&](CTrayDockDlg& d) {
            hiddenByOk = hiddenByOk && !Visible(d);
            // Escape as the keyboard delivers it, to the control with the focus.
            ShowWindow(d.m_hWnd, SW_SHOW);
            SetFocus(GetDlgItem(d.m_hWnd, 1001));
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        })
        .then([&](CTrayDockDlg& d) {
            hiddenByEscape = !Visible(d);
            stillThere = IsWindow(d.m_hWnd) && d.IsInModalLoop();
        });
    // The final sent IDCANCEL does not pass the queue and ends the dialog.
    EXPECT_EQ(IDCANCEL, s.run());
    EXPECT_TRUE(shown);
    EXPECT_TRUE(hiddenByCancel);
    EXPECT_TRUE(shownAgain);
    EXPECT_TRUE(hiddenByOk);
    EXPECT_TRUE(hiddenByEscape);
    EXPECT_TRUE(stillThere);
    EXPECT_EQ(nullptr, s.dlg.m_hWnd);
}

TEST(ControllerDialog, SentOkEndsTheLoopWithOk)
{
    DialogScenario s;
    s.then([](CTrayDockDlg& d) { SendMessageA(d.m_hWnd, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(IDOK, s.run());
}

TEST(ControllerDialog, QuitEndsTheLoopAndDestroysTheWindow)
{
    DialogScenario s;
    HWND hwnd = nullptr;
    s.then([&](CTrayDockDlg& d) {
        hwnd = d.m_hWnd;
        PostQuitMessage(0);
    });
    EXPECT_EQ(-1, s.run());
    EXPECT_FALSE(IsWindow(hwnd));
    MSG msg;   // the loop leaves the quit for the loops outside it
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(ControllerDialog, HandOffFromASecondCopyShowsTheDialog)
{
    DialogScenario s;
    bool shown = false;
    s.then([](CTrayDockDlg& d) { PostMessageA(d.m_hWnd, WM_COMMAND, ID_MINIMIZE_ALL, 0); })
        .then([&](CTrayDockDlg& d) { shown = Visible(d) && d.ShowAllowed(); });
    s.run();
    EXPECT_TRUE(shown);
}

TEST(ControllerDialog, UsesTheApplicationIconBigSmallAndForDragging)
{
    DialogScenario s;
    LRESULT big = 0, small = 0, drag = 0;
    s.then([&](CTrayDockDlg& d) {
        big = SendMessageA(d.m_hWnd, WM_GETICON, ICON_BIG, 0);
        small = SendMessageA(d.m_hWnd, WM_GETICON, ICON_SMALL, 0);
        drag = SendMessageA(d.m_hWnd, WM_QUERYDRAGICON, 0, 0);
    });
    s.run();
    ASSERT_NE(nullptr, s.dlg.Icon());
    EXPECT_EQ(reinterpret_cast<LRESULT>(s.dlg.Icon()), big);
    EXPECT_EQ(reinterpret_cast<LRESULT>(s.dlg.Icon()), small);
    EXPECT_EQ(reinterpret_cast<LRESULT>(s.dlg.Icon()), drag);
}

TEST(ControllerDialog, MinimizedFaceIsTheIconCentred)
{
    DialogScenario s;
    const COLORREF bg = RGB(0x12, 0x34, 0x56);
    // Odd and even client sizes: the offset is (size - 32 + 1) / 2.
    test::Canvas even(100, 60, bg), odd(101, 61, bg);
    size_t erases = 0;
    s.then([&](CTrayDockDlg& d) {
        test::MessageLog* log = test::MessageLog::Subclass(d.m_hWnd);
        d.PaintMinimized(even.dc(), RECT{0, 0, 100, 60});
        d.PaintMinimized(odd.dc(), RECT{0, 0, 101, 61});
        erases = log->count(WM_ICONERASEBKGND);
        delete log;
    });
    s.run();
    EXPECT_EQ(2u, erases);
    ASSERT_EQ(32, GetSystemMetrics(SM_CXICON));
    // Pixel for pixel what DrawIcon gives at the centred position.
    struct Case { test::Canvas* c; int x, y; } cases[] = {{&even, 34, 14}, {&odd, 35, 15}};
    for (const Case& k : cases) {
        test::Canvas expected(k.c->width(), k.c->height(), bg);
        DrawIcon(expected.dc(), k.x, k.y, s.dlg.Icon());
        int differing = 0;
        for (int y = 0; y < k.c->height(); ++y)
            for (int x = 0; x < k.c->width(); ++x)
                differing += k.c->at(x, y) != expected.at(x, y);
        EXPECT_EQ(0, differing) << "client " << k.c->width() << " x " << k.c->height();
        EXPECT_NE(bg, k.c->at(k.x + 10, k.y + 12));   // and something was drawn
    }
}

TEST(ControllerDialog, SweepDropsGoneAndShownWindowsAndLeavesTheirWindowsAlone)
{
    test::MessageLog gone("gone", WS_POPUP | WS_VISIBLE), shown("shown", WS_POPUP | WS_VISIBLE),
        hidden("hidden", WS_POPUP | WS_VISIBLE);
    DialogScenario s;
    bool droppedInTime = false;
    size_t shownMessagesAfter = 0;
    s.then([&](CTrayDockDlg& d) {
         for (test::MessageLog* w : {&gone, &shown, &hidden})
             d.Docker().DockWindow(w->hwnd(), d.TrayIcon().m_hWnd);
         ASSERT_EQ(3, d.Docker().Docked().GetSize());
         DestroyWindow(gone.hwnd());
         ShowWindow(shown.hwnd(), SW_SHOWNA);
         test::Flush();
         shown.clear();
     })
        .then([&](CTrayDockDlg& d) {
            // The sweep runs once a second, inside this very loop.
            droppedInTime = test::PumpUntil([&] { return d.Docker().Docked().GetSize() == 1; }, 2500);
            shownMessagesAfter =
                shown.only({WM_SYSCOMMAND, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_CLOSE}).size();
        })
        .then([&](CTrayDockDlg& d) {
            ASSERT_EQ(1, d.Docker().Docked().GetSize());
            EXPECT_EQ(hidden.hwnd(), d.Docker().Docked()[0]->hWnd);
            EXPECT_FALSE(IsWindowVisible(hidden.hwnd()));
        });
    s.run();
    EXPECT_TRUE(droppedInTime);
    EXPECT_EQ(0u, shownMessagesAfter) << test::Describe(shown.all());
    EXPECT_TRUE(IsWindowVisible(shown.hwnd()));
    // The one still docked comes back when the dialog goes.
    EXPECT_TRUE(IsWindowVisible(hidden.hwnd()));
}

}  // namespace

namespace {

struct TextFit {
    std::string text;
    bool fits;
};

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lp)
{
    char cls[16] = "", text[128] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0 || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_LEFT)
        return TRUE;
    GetWindowTextA(child, text, sizeof text);
    RECT client{};
    GetClientRect(child, &client);
    // The control's own font, wrapped the way the control wraps it.
    HDC dc = GetDC(child);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
    RECT need{0, 0, client.right, 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(child, dc);
    reinterpret_cast<std::vector<TextFit>*>(lp)->push_back({text, need.bottom <= client.bottom});
    return TRUE;
}

}  // namespace

// Every line of the About area and of the hotkeys must read whole in its
// one-line control; the version line once wrapped and hid its number.
TEST(ControllerDialog, AboutLinesFitTheirControls)
{
    DialogScenario s;
    std::vector<TextFit> lines;
    s.then([&](CTrayDockDlg& d) {
        // The longer of the two words a hotkey's state line can show.
        for (int id : {IDC_HOTKEY_STATE_DOCK, IDC_HOTKEY_STATE_UNDOCK, IDC_HOTKEY_STATE_MENU})
            SetDlgItemTextA(d.m_hWnd, id, "Refused");
        EnumChildWindows(d.m_hWnd, CollectStaticText, reinterpret_cast<LPARAM>(&lines));
    });
    s.run();
    ASSERT_EQ(9u, lines.size());
    for (const TextFit& line : lines)
        EXPECT_TRUE(line.fits) << '"' << line.text << "\" wraps out of its control";
}
