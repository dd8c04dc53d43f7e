// Hover tracking, choice and closing while the popup's modal loop runs.
#include "tests/unit/menu/MenuTestKit.h"

#include <climits>
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
    return RowTop(menu, i) + menu.Rows().Item(i).nHeight + 4;
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
        if (m.Rows().Hot() != hot)
            wrong.push_back({what, m.Rows().Hot()});
    };
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);   // only the mouse moves decide here
        EXPECT_EQ(-1, m.Rows().Hot()) << "nothing is hot before the pointer moves";
        for (int i = 0; i < m.Rows().ItemCount(); ++i) {
            expectHot("row top", 0, RowTop(m, i), i);
            expectHot("row bottom", m.Rows().Width() - 1, RowBottom(m, i), i);
        }
        expectHot("top margin", 10, 4, -1);
        expectHot("back on the last row", 10, RowBottom(m, 4), 4);
        expectHot("bottom margin", 10, RowBottom(m, 4) + 1, -1);
        expectHot("separator row", 10, RowTop(m, 1) + 1, 1);
        expectHot("right of the width", m.Rows().Width(), RowTop(m, 0) + 3, -1);
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
        cameIn = test::PumpUntil([&] { return m.Rows().Hot() == 3; }, 2000);
        m.seen.clear();
        ParkCursor();
        wentOut = test::PumpUntil([&] { return m.Rows().Hot() == -1; }, 2000);
        repainted = test::PumpUntil([&] { return m.Count(WM_PAINT) == 1; }, 1000);

        // Another timer identifier only gets default processing.
        KillTimer(m.m_hWnd, IDT_HOVER);
        SetCursorPos(onItem3.x, onItem3.y);
        SendMessageA(m.m_hWnd, WM_TIMER, IDT_HOVER + 1, 0);
        otherTimer = m.Rows().Hot() == -1;
        // The hover tick evaluates and starts itself again.
        SendMessageA(m.m_hWnd, WM_TIMER, IDT_HOVER, 0);
        restarted = m.Rows().Hot() == 3 && KillTimer(m.m_hWnd, IDT_HOVER);
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
        EXPECT_TRUE(ClosedPopup(hwnd));
        EXPECT_EQ(nullptr, p.menu.m_hWnd);
        auto commands = p.Commands();
        ASSERT_EQ(1u, commands.size()) << test::Describe(commands);
        EXPECT_EQ(static_cast<WPARAM>(p.menu.Rows().Item(item).nID), commands[0].wParam);
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
        click("right of every row", m.Rows().Width() + 5, RowTop(m, 0) + 3);
        // A hot index beyond the list counts as none.
        p.menu.rows().SetHot(99);
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

TEST(MenuChoice, TheRightButtonDoesNothing)
{
    Popup p;
    CMenuEx& m = p.menu;
    bool open = false;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        MoveTo(m, 30, RowTop(m, 0) + 3);
        PostMessageA(m.m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, Point(30, RowTop(m, 0) + 3));
        PostMessageA(m.m_hWnd, WM_RBUTTONUP, 0, Point(30, RowTop(m, 0) + 3));
        test::PumpFor(200);
        open = m.IsInModalLoop() && m.Rows().Hot() == 0;
        m.Close();
    }));
    EXPECT_TRUE(open);
    EXPECT_EQ(0u, p.Commands().size());
}

TEST(MenuKeys, ArrowsPassWhatCannotBeChosenEnterChoosesAsAClickEscapeChoosesNothing)
{
    for (const bool escape : {false, true}) {
        Popup p;
        CMenuEx& m = p.menu;
        std::vector<int> hot;
        bool openAfterEnter = false;
        EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
            KillTimer(m.m_hWnd, IDT_HOVER);
            Key(m, VK_RETURN);   // nothing highlighted: nothing chosen
            openAfterEnter = m.IsInModalLoop();
            for (UINT vk : {VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_HOME, VK_NEXT, VK_PRIOR, VK_LEFT}) {
                Key(m, vk);
                hot.push_back(m.Rows().Hot());
            }
            Key(m, escape ? VK_ESCAPE : VK_RETURN);
        }));
        EXPECT_TRUE(openAfterEnter);
        // Down to the first, over rows 1 to 3 to the last, round to the first.
        EXPECT_EQ((std::vector<int>{0, 4, 0, 4, 0, 4, 0, 0}), hot);
        EXPECT_EQ(nullptr, m.m_hWnd);
        auto commands = p.Commands();
        ASSERT_EQ(escape ? 0u : 1u, commands.size()) << test::Describe(commands);
        if (!escape) {
            EXPECT_EQ(static_cast<WPARAM>(kOpen), commands[0].wParam);
            EXPECT_EQ(0, commands[0].lParam);
            EXPECT_FALSE(commands[0].sent);
        }
    }
}

TEST(MenuKeys, TheHoverPollKeepsAHighlightSetByKeysUntilThePointerMoves)
{
    Popup p;
    CMenuEx& m = p.menu;
    bool pointed = false, kept = false, retaken = false;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        POINT onItem0{30, RowTop(m, 0) + 4};
        ClientToScreen(m.m_hWnd, &onItem0);
        SetCursorPos(onItem0.x, onItem0.y);
        pointed = test::PumpUntil([&] { return m.Rows().Hot() == 0; }, 2000);
        Key(m, VK_DOWN);
        // Three hover ticks, a mouse move the pointer did not make (the
        // system sends one when windows change under it), and one that was
        // still queued from a place the pointer has left.
        MoveTo(m, 30, RowTop(m, 0) + 4);
        MoveTo(m, 30, RowTop(m, 2) + 4);
        test::PumpFor(650);
        kept = m.Rows().Hot() == 4;
        SetCursorPos(onItem0.x + 5, onItem0.y);
        retaken = test::PumpUntil([&] { return m.Rows().Hot() == 0; }, 2000);
        ParkCursor();
        m.Close();
    }));
    EXPECT_TRUE(pointed);
    EXPECT_TRUE(kept) << "the hover poll took the highlight back from the keys";
    EXPECT_TRUE(retaken) << "a moved pointer did not take it back";
}

namespace {

// A main menu of eighty windows opened at the foot of the work area.
struct TallPopup {
    test::MessageLog owner{"owner"};
    CMenuEx menu;
    RECT work{};
    TallPopup()
    {
        ParkCursor();
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        menu.Create(owner.hwnd());
        FillMainMenu(menu, 80);
    }
    void Track(const std::function<void()>& script)
    {
        EXPECT_EQ(0, TrackWith(menu, work.right - 40, work.bottom - 1, [&] {
            KillTimer(menu.m_hWnd, IDT_HOVER);
            script();
        }));
    }
    void Wheel(int delta) { SendMessageW(menu.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0); }
};

int WheelLines()
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    return static_cast<int>(lines);
}

}  // namespace

TEST(MenuScroll, TheWheelScrollsTheListUnderAStillPointerAndKeysReachTheLastWindow)
{
    TallPopup t;
    CMenuEx& m = t.menu;
    std::vector<int> tops;
    int hotAfterWheel = -2;
    std::vector<std::wstring> hot;
    bool lastInView = false;
    t.Track([&] {
        POINT onRow{40, m.Rows().RowTop(2) + 4};
        ClientToScreen(m.m_hWnd, &onRow);
        SetCursorPos(onRow.x, onRow.y);
        t.Wheel(-WHEEL_DELTA);
        hotAfterWheel = m.Rows().Hot();
        t.Wheel(-60);   // half a notch: nothing yet
        tops.push_back(m.Rows().Top());
        t.Wheel(-60);
        tops.push_back(m.Rows().Top());
        for (int i = 0; i < 40; ++i)
            t.Wheel(-WHEEL_DELTA);
        tops.push_back(m.Rows().Top());
        t.Wheel(2 * WHEEL_DELTA);
        tops.push_back(m.Rows().Top());
        ParkCursor();
        // From the top, End is Exit; four rows up past the fixed rows is the
        // last window, scrolled into view.
        for (UINT vk : {VK_HOME, VK_END, VK_UP, VK_UP, VK_UP, VK_UP}) {
            Key(m, vk);
            hot.push_back(HotText(m));
        }
        lastInView = m.Rows().RowTop(79) != INT_MIN;
        Key(m, VK_RETURN);
    });
    const int step = WheelLines();
    EXPECT_EQ(2 + step, hotAfterWheel) << "the row now under the pointer";
    EXPECT_EQ((std::vector<int>{step, 2 * step, 80 - 34, 80 - 34 - 2 * step}), tops);
    EXPECT_EQ((std::vector<std::wstring>{L"Window 1", L"Exit", L"Options", L"Close All", L"Minimize All", L"Window 80"}), hot);
    EXPECT_TRUE(lastInView);
    test::Flush();
    ASSERT_EQ(1u, t.owner.count(WM_COMMAND));
    EXPECT_EQ(150u + 79, t.owner.only({WM_COMMAND})[0].wParam);
}

TEST(MenuScroll, RestingOnAStripScrollsThatWayToItsEnd)
{
    TallPopup t;
    CMenuEx& m = t.menu;
    bool down = false, up = false;
    t.Track([&] {
        SetTimer(m.m_hWnd, IDT_HOVER, 200, nullptr);
        POINT below{m.Rows().Width() / 2, m.Rows().RowTop(80) - 12 + 4};   // above the first fixed row
        int strip = 0;
        m.Rows().RowAt(below, &strip);
        EXPECT_EQ(2, strip) << "no strip below the list at " << below.y;
        ClientToScreen(m.m_hWnd, &below);
        SetCursorPos(below.x, below.y);
        down = test::PumpUntil([&] { return m.Rows().RowTop(79) != INT_MIN; }, 10000);
        POINT above{m.Rows().Width() / 2, 5 + 3};
        ClientToScreen(m.m_hWnd, &above);
        SetCursorPos(above.x, above.y);
        up = test::PumpUntil([&] { return m.Rows().Top() == 0; }, 10000);
        ParkCursor();
        m.Close();
    });
    EXPECT_TRUE(down) << "the strip below the list did not scroll it to its last window";
    EXPECT_TRUE(up) << "the strip above did not scroll it back";
}

TEST(MenuFilter, TypingKeepsTheTitlesThatHoldItFirstHighlightedBackspaceErasesNothingMatchingIsSaid)
{
    test::MessageLog owner("owner");
    CMenuEx m;
    ParkCursor();
    m.Create(owner.hwnd());
    const wchar_t* titles[] = {L"Calculator", L"\x041F\x0440\x0438\x0432\x0435\x0442.txt - Notepad", L"Notes - Notepad"};
    for (int i = 0; i < 3; ++i)
        m.AddItem(0, 150 + i, titles[i], nullptr, FALSE);
    m.BeginFixedRows();
    m.AddItem(0, 141, L"Exit", nullptr, FALSE);
    std::vector<std::vector<int>> rows;
    std::vector<std::wstring> hot;
    RECT before{}, after{};
    TrackWith(m, 600, 500, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        GetWindowRect(m.m_hWnd, &before);
        for (const wchar_t* typed : {L"NOTEPAD", L"zz", L"\b\b\b\b\b\b\b\b\b", L"\x043F\x0420\x0418"}) {   // ... пРИ
            for (const wchar_t* c = typed; *c; ++c)
                *c == L'\b' ? Key(m, VK_BACK) : Type(m, std::wstring(1, *c));
            rows.emplace_back();
            for (int r = 0; r < m.Rows().RowCount(); ++r)
                rows.back().push_back(m.Rows().ItemOfRow(r));
            hot.push_back(HotText(m));
            if (rows.size() == 1)
                GetWindowRect(m.m_hWnd, &after);
            if (rows.size() == 2)
                Key(m, VK_RETURN);   // nothing to choose
        }
        Key(m, VK_RETURN);
    });
    const int F = CMenuRows::kRowFilter, N = CMenuRows::kRowNoMatch;
    EXPECT_EQ((std::vector<std::vector<int>>{{F, 1, 2, 3}, {F, N, 3}, {0, 1, 2, 3}, {F, 1, 3}}), rows);
    EXPECT_EQ((std::vector<std::wstring>{titles[1], L"(none)", L"Calculator", titles[1]}), hot);
    // Its width and its corner at the point kept; a filter row for a window row.
    EXPECT_EQ((std::vector<LONG>{before.right, before.bottom, before.bottom - before.top}),
              (std::vector<LONG>{after.right, after.bottom, after.bottom - after.top}));
    test::Flush();
    const auto commands = owner.only({WM_COMMAND});
    ASSERT_EQ(1u, commands.size()) << test::Describe(commands);
    EXPECT_EQ(151u, commands[0].wParam);

    // A menu whose composer marked no list takes no typing.
    Popup p;
    TrackWith(p.menu, 500, 400, [&] {
        Type(p.menu, L"exit");
        p.menu.Close();
    });
    EXPECT_STREQ(L"", p.menu.Rows().Filter());
}
