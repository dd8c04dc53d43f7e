// Hover tracking, choice and closing while the popup's modal loop runs.
#include "tests/unit/menu/MenuTestKit.h"

#include <iterator>

using namespace menutest;

namespace {

constexpr UINT kOpen = 201, kSep = 0, kGrayed = 202, kDisabled = 203, kLast = 204;

// Item 0 selectable, 1 separator, 2 grayed, 3 disabled, 4 selectable.
void Fill(CMenuEx& menu)
{
    menu.AddItem(0, kOpen, L"Open the window", nullptr, FALSE);
    menu.AddSeparator();
    menu.AddItem(MF_GRAYED, kGrayed, L"Grayed", nullptr, FALSE);
    menu.AddItem(MF_DISABLED, kDisabled, L"Disabled", nullptr, FALSE);
    menu.AddItem(0, kLast, L"Exit", nullptr, TRUE);
}

int RowBottom(const CMenuEx& menu, int i)   // last pixel row of item i
{
    return RowTop(menu, i) + menu.m_arrItems[i]->nHeight + 4;
}

struct Popup {
    test::MessageLog owner{"owner"};
    RecordingMenu menu;
    Popup()
    {
        ParkCursor();
        menu.Create(owner.hwnd());
        Fill(menu);
    }
    std::vector<test::Msg> Commands()
    {
        test::Flush();
        return owner.only({WM_COMMAND});
    }
};

}  // namespace

TEST(MenuHover, TheHotItemIsTheRowUnderThePointerEveryRowScanned)
{
    Popup p;
    CMenuEx& m = p.menu;
    std::vector<std::pair<std::string, int>> wrong;
    auto expectHot = [&](const char* what, int x, int y, int hot) {
        MoveTo(m, x, y);
        if (m.m_nHotItem != hot)
            wrong.push_back({what, m.m_nHotItem});
    };
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);   // only the mouse moves decide here
        EXPECT_EQ(-1, m.m_nHotItem) << "nothing is hot before the pointer moves";
        for (int i = 0; i < m.m_arrItems.GetSize(); ++i) {
            expectHot("row top", 0, RowTop(m, i), i);
            expectHot("row bottom", m.m_nWidth - 1, RowBottom(m, i), i);
        }
        expectHot("top margin", 10, 4, -1);
        expectHot("back on the last row", 10, RowBottom(m, 4), 4);
        expectHot("bottom margin", 10, RowBottom(m, 4) + 1, -1);
        expectHot("separator row", 10, RowTop(m, 1) + 1, 1);
        expectHot("right of the width", m.m_nWidth, RowTop(m, 0) + 3, -1);
        expectHot("left of the popup", -1, RowTop(m, 0) + 3, -1);
        m.Close();
    }));
    for (const auto& w : wrong)
        ADD_FAILURE() << w.first << ": hot item " << w.second;
}

TEST(MenuHover, OnlyAChangeOfTheHotItemRepaintsOnceWithoutErasing)
{
    Popup p;
    RecordingMenu& m = p.menu;
    struct Step {
        const char* what;
        size_t paints;
        bool invalid;
    };
    std::vector<Step> steps;
    auto step = [&](const char* what, int x, int y) {
        m.seen.clear();
        MoveTo(m, x, y);
        const bool invalid = GetUpdateRect(m.m_hWnd, nullptr, FALSE) != FALSE;
        test::PumpFor(150);
        EXPECT_EQ(0u, m.Count(WM_ERASEBKGND)) << what;
        steps.push_back({what, m.Count(WM_PAINT), invalid});
    };
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        UpdateWindow(m.m_hWnd);
        test::PumpFor(100);
        step("onto item 0", 30, RowTop(m, 0) + 2);
        step("within item 0", 60, RowTop(m, 0) + 9);
        step("within item 0 again", 5, RowBottom(m, 0));
        step("onto the separator", 30, RowTop(m, 1));
        step("onto item 2", 30, RowTop(m, 2));
        step("off every row", 30, 2);
        step("still off", 40, 1);
        m.Close();
    }));
    const size_t expected[] = {1, 0, 0, 1, 1, 1, 0};
    ASSERT_EQ(std::size(expected), steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(expected[i], steps[i].paints) << steps[i].what;
        EXPECT_EQ(expected[i] != 0, steps[i].invalid) << steps[i].what;
    }
}

TEST(MenuHover, TheTimerAloneFollowsThePointerInAndOut)
{
    Popup p;
    RecordingMenu& m = p.menu;
    m.swallowMouseMoves = true;   // no WM_MOUSEMOVE reaches the menu
    bool cameIn = false, wentOut = false, repainted = false, otherTimer = true, restarted = false;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        POINT onItem3{30, RowTop(m, 3) + 4};
        ClientToScreen(m.m_hWnd, &onItem3);
        SetCursorPos(onItem3.x, onItem3.y);
        cameIn = test::PumpUntil([&] { return m.m_nHotItem == 3; }, 2000);
        m.seen.clear();
        ParkCursor();
        wentOut = test::PumpUntil([&] { return m.m_nHotItem == -1; }, 2000);
        repainted = test::PumpUntil([&] { return m.Count(WM_PAINT) == 1; }, 1000);

        // Another timer identifier only gets default processing.
        KillTimer(m.m_hWnd, IDT_HOVER);
        SetCursorPos(onItem3.x, onItem3.y);
        SendMessageA(m.m_hWnd, WM_TIMER, IDT_HOVER + 1, 0);
        otherTimer = m.m_nHotItem == -1;
        // The hover tick evaluates and starts itself again.
        SendMessageA(m.m_hWnd, WM_TIMER, IDT_HOVER, 0);
        restarted = m.m_nHotItem == 3 && KillTimer(m.m_hWnd, IDT_HOVER);
        ParkCursor();
        m.Close();
    }));
    EXPECT_TRUE(cameIn) << "the hover timer did not pick up the pointer";
    EXPECT_TRUE(wentOut) << "the highlight stayed after the pointer left";
    EXPECT_TRUE(repainted);
    EXPECT_TRUE(otherTimer) << "timer 11 ran the hit test";
    EXPECT_TRUE(restarted) << "timer 10 did not hit-test or did not start again";
}

TEST(MenuChoice, AClickOnASelectableItemPostsOneCommandAndCloses)
{
    for (int item : {0, 4}) {
        Popup p;
        HWND hwnd = p.menu.m_hWnd;
        EXPECT_EQ(0, TrackWith(p.menu, 500, 400, [&] {
            MoveTo(p.menu, 30, RowTop(p.menu, item) + 3);
            ClickAt(p.menu, 30, RowTop(p.menu, item) + 3);
        }));
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(nullptr, p.menu.m_hWnd);
        auto commands = p.Commands();
        ASSERT_EQ(1u, commands.size()) << test::Describe(commands);
        EXPECT_EQ(static_cast<WPARAM>(p.menu.m_arrItems[item]->nID), commands[0].wParam);
        EXPECT_EQ(0, commands[0].lParam);
        EXPECT_FALSE(commands[0].sent) << "the command must be posted";
    }
}

TEST(MenuChoice, TheChoiceIsTheHotItemNotWhereTheButtonWentUp)
{
    Popup p;
    EXPECT_EQ(0, TrackWith(p.menu, 500, 400, [&] {
        MoveTo(p.menu, 30, RowTop(p.menu, 4) + 3);
        ClickAt(p.menu, 30, RowTop(p.menu, 0) + 3);
    }));
    auto commands = p.Commands();
    ASSERT_EQ(1u, commands.size()) << test::Describe(commands);
    EXPECT_EQ(static_cast<WPARAM>(kLast), commands[0].wParam);
}

TEST(MenuChoice, ClicksThatChooseNothingLeaveThePopupOpen)
{
    Popup p;
    CMenuEx& m = p.menu;
    std::vector<std::string> closedBy;
    auto click = [&](const char* what, int x, int y) {
        MoveTo(m, x, y);
        ClickAt(m, x, y);
        test::PumpFor(30);
        if (!m.m_hWnd || !m.IsInModalLoop())
            closedBy.push_back(what);
    };
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        click("separator", 30, RowTop(m, 1) + 1);
        click("grayed item", 30, RowTop(m, 2) + 3);
        click("disabled item", 30, RowTop(m, 3) + 3);
        click("top margin", 30, 2);
        click("bottom margin", 30, RowBottom(m, 4) + 2);
        click("right of every row", m.m_nWidth + 5, RowTop(m, 0) + 3);
        // A hot index beyond the list counts as none.
        m.m_nHotItem = 99;
        ClickAt(m, 30, RowTop(m, 0) + 3);
        if (!m.m_hWnd)
            closedBy.push_back("hot index out of range");
        if (m.m_hWnd)
            m.Close();
    }));
    for (const auto& what : closedBy)
        ADD_FAILURE() << "a click on the " << what << " closed the popup";
    EXPECT_EQ(0u, p.Commands().size());
}

TEST(MenuChoice, KeysAndTheRightButtonDoNothingEscapeIncluded)
{
    Popup p;
    CMenuEx& m = p.menu;
    bool open = false;
    int hot = -2;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        MoveTo(m, 30, RowTop(m, 0) + 3);
        const HWND w = m.m_hWnd;
        PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(w, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001));
        PostMessageA(w, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageA(w, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001));
        PostMessageA(w, WM_KEYDOWN, VK_DOWN, 0x01500001);
        PostMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, Point(30, RowTop(m, 0) + 3));
        PostMessageA(w, WM_RBUTTONUP, 0, Point(30, RowTop(m, 0) + 3));
        test::PumpFor(200);
        open = IsWindow(w) && m.IsInModalLoop();
        hot = m.m_nHotItem;
        m.Close();
    }));
    EXPECT_TRUE(open);
    EXPECT_EQ(0, hot) << "keys moved the hot item";
    EXPECT_EQ(0u, p.Commands().size());
}

TEST(MenuChoice, FocusMovingAwayClosesWithNoCommand)
{
    Popup p;
    HWND hwnd = p.menu.m_hWnd;
    test::MessageLog other("another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    EXPECT_EQ(0, TrackWith(p.menu, 500, 400, [&] {
        MoveTo(p.menu, 30, RowTop(p.menu, 0) + 3);   // an item is hot: still no command
        SetForegroundWindow(other.hwnd());
        SetFocus(other.hwnd());
    }));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(0u, p.Commands().size());
}
