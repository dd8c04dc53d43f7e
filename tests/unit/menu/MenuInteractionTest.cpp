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

TEST(MenuChoice, TheRightButtonDoesNothing)
{
    Popup p;
    CMenuEx& m = p.menu;
    bool open = false;
    int hot = -2;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        MoveTo(m, 30, RowTop(m, 0) + 3);
        const HWND w = m.m_hWnd;
        PostMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, Point(30, RowTop(m, 0) + 3));
        PostMessageA(w, WM_RBUTTONUP, 0, Point(30, RowTop(m, 0) + 3));
        test::PumpFor(200);
        open = IsWindow(w) && m.IsInModalLoop();
        hot = m.m_nHotItem;
        m.Close();
    }));
    EXPECT_TRUE(open);
    EXPECT_EQ(0, hot);
    EXPECT_EQ(0u, p.Commands().size());
}

TEST(MenuKeys, ArrowsPassSeparatorsGreyAndDisabledRowsAndEnterChoosesAsAClick)
{
    Popup p;
    CMenuEx& m = p.menu;
    std::vector<int> hot;
    HWND hwnd = m.m_hWnd;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        for (UINT vk : {VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_END, VK_HOME, VK_NEXT, VK_PRIOR, VK_LEFT}) {
            Key(m, vk);
            hot.push_back(m.m_nHotItem);
        }
        Key(m, VK_RETURN);
    }));
    // Down from nothing to the first; over rows 1 to 3 to the last; round.
    const std::vector<int> want{0, 4, 0, 4, 4, 0, 4, 0, 0};
    EXPECT_EQ(want, hot);
    EXPECT_FALSE(IsWindow(hwnd));
    auto commands = p.Commands();
    ASSERT_EQ(1u, commands.size()) << test::Describe(commands);
    EXPECT_EQ(static_cast<WPARAM>(kOpen), commands[0].wParam);
    EXPECT_EQ(0, commands[0].lParam);
    EXPECT_FALSE(commands[0].sent);
}

TEST(MenuKeys, EscapeClosesChoosingNothingAndEnterOnNothingKeepsThePopup)
{
    Popup p;
    CMenuEx& m = p.menu;
    bool openAfterEnter = false;
    HWND hwnd = m.m_hWnd;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        Key(m, VK_RETURN);
        openAfterEnter = IsWindow(hwnd) && m.IsInModalLoop();
        Key(m, VK_DOWN);
        Key(m, VK_ESCAPE);
    }));
    EXPECT_TRUE(openAfterEnter);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(0u, p.Commands().size());
}

TEST(MenuKeys, TheHoverPollKeepsAHighlightSetByKeysUntilThePointerMoves)
{
    Popup p;
    CMenuEx& m = p.menu;
    bool pointed = false, kept = false, retaken = false;
    std::wstring afterKeys;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        POINT onItem0{30, RowTop(m, 0) + 4};
        ClientToScreen(m.m_hWnd, &onItem0);
        SetCursorPos(onItem0.x, onItem0.y);
        pointed = test::PumpUntil([&] { return m.m_nHotItem == 0; }, 2000);
        Key(m, VK_DOWN);
        afterKeys = HotText(m);
        // Three hover ticks and a mouse move that the pointer did not make
        // (the system sends one when windows change under it).
        MoveTo(m, 30, RowTop(m, 0) + 4);
        test::PumpFor(650);
        kept = m.m_nHotItem == 4;
        SetCursorPos(onItem0.x + 5, onItem0.y);
        retaken = test::PumpUntil([&] { return m.m_nHotItem == 0; }, 2000);
        ParkCursor();
        m.Close();
    }));
    EXPECT_TRUE(pointed);
    EXPECT_EQ(L"Exit", afterKeys);
    EXPECT_TRUE(kept) << "the hover poll took the highlight back from the keys";
    EXPECT_TRUE(retaken) << "a moved pointer did not take the highlight back";
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
    int Track(const std::function<void()>& script)
    {
        return TrackWith(menu, work.right - 40, work.bottom - 1, [&] {
            KillTimer(menu.m_hWnd, IDT_HOVER);
            script();
        });
    }
    std::vector<test::Msg> Commands()
    {
        test::Flush();
        return owner.only({WM_COMMAND});
    }
};

}  // namespace

TEST(MenuScroll, TheWheelScrollsTheListAndTheRowUnderThePointerFollows)
{
    TallPopup t;
    CMenuEx& m = t.menu;
    std::vector<int> tops;
    int hotAfterWheel = -2;
    EXPECT_EQ(0, t.Track([&] {
        ASSERT_TRUE(m.m_bScrolls);
        POINT onRow{40, m.RowTop(2) + 4};
        ClientToScreen(m.m_hWnd, &onRow);
        SetCursorPos(onRow.x, onRow.y);
        SendMessageW(m.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(onRow.x, onRow.y));
        tops.push_back(m.m_nTop);
        hotAfterWheel = m.m_nHotItem;
        SendMessageW(m.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -60), 0);   // half a notch: nothing yet
        tops.push_back(m.m_nTop);
        SendMessageW(m.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -60), 0);
        tops.push_back(m.m_nTop);
        for (int i = 0; i < 40; ++i)
            SendMessageW(m.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
        tops.push_back(m.m_nTop);
        tops.push_back(m.RowTop(79) != INT_MIN);
        SendMessageW(m.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);
        tops.push_back(m.m_nTop);
        ParkCursor();
        m.Close();
    }));
    ASSERT_EQ(6u, tops.size());
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int step = static_cast<int>(lines);
    EXPECT_EQ(step, tops[0]);
    EXPECT_EQ(2 + step, hotAfterWheel) << "the row now under the pointer";
    EXPECT_EQ(step, tops[1]);
    EXPECT_EQ(2 * step, tops[2]);
    EXPECT_GT(tops[3], 40) << "the end of the list";
    EXPECT_EQ(1, tops[4]) << "the last window is in view";
    EXPECT_EQ(tops[3] - 2 * step, tops[5]);
}

TEST(MenuScroll, RestingOnAStripScrollsThatWayToTheEnd)
{
    TallPopup t;
    CMenuEx& m = t.menu;
    bool down = false, stopped = false, up = false;
    EXPECT_EQ(0, t.Track([&] {
        SetTimer(m.m_hWnd, IDT_HOVER, 200, nullptr);
        int strip = 0;
        POINT onStrip{m.m_nWidth / 2, 0};
        for (onStrip.y = 0; onStrip.y < m.m_nHeight && strip != 2; ++onStrip.y)
            m.RowAt(onStrip, &strip);
        ClientToScreen(m.m_hWnd, &onStrip);
        SetCursorPos(onStrip.x, onStrip.y);
        down = test::PumpUntil([&] { return m.m_nTop >= 5; }, 3000);
        stopped = test::PumpUntil([&] { return m.RowTop(79) != INT_MIN; }, 10000);
        POINT top{m.m_nWidth / 2, 5 + 3};
        ClientToScreen(m.m_hWnd, &top);
        SetCursorPos(top.x, top.y);
        up = test::PumpUntil([&] { return m.m_nTop == 0; }, 10000);
        ParkCursor();
        m.Close();
    }));
    EXPECT_TRUE(down) << "the strip below the list did not scroll it";
    EXPECT_TRUE(stopped) << "it did not reach the last window";
    EXPECT_TRUE(up) << "the strip above the list did not scroll it back";
}

TEST(MenuScroll, KeysReachTheLastWindowScrollingItIntoViewAndEnterChoosesIt)
{
    TallPopup t;
    CMenuEx& m = t.menu;
    std::vector<std::wstring> hot;
    std::vector<bool> inView;
    auto look = [&] {
        hot.push_back(HotText(m));
        inView.push_back(m.m_nHotItem >= 0 && m.RowTop(m.m_nHotItem) != INT_MIN);
    };
    EXPECT_EQ(0, t.Track([&] {
        Key(m, VK_DOWN);
        look();
        Key(m, VK_NEXT);
        Key(m, VK_NEXT);
        look();
        Key(m, VK_NEXT);
        look();
        for (UINT vk : {VK_UP, VK_UP, VK_UP, VK_UP}) {
            Key(m, vk);
            look();
        }
        Key(m, VK_UP);
        look();
        Key(m, VK_RETURN);
    }));
    ASSERT_EQ(8u, hot.size());
    EXPECT_EQ(L"Window 1", hot[0]);
    EXPECT_NE(L"Window 1", hot[1]) << "Page Down moved a page";
    EXPECT_EQ(L"Exit", hot[2]) << "Page Down stops at the last row";
    EXPECT_EQ((std::vector<std::wstring>{L"Options", L"Close All", L"Minimize All", L"Window 80", L"Window 79"}),
              std::vector<std::wstring>(hot.begin() + 3, hot.end()));
    for (size_t i = 0; i < inView.size(); ++i)
        EXPECT_TRUE(inView[i]) << hot[i] << " is out of view";
    auto commands = t.Commands();
    ASSERT_EQ(1u, commands.size()) << test::Describe(commands);
    EXPECT_EQ(150u + 78, commands[0].wParam);
}

TEST(MenuFilter, TypingKeepsTheWindowsWhoseTitlesHoldItAndHighlightsTheFirst)
{
    test::MessageLog owner("owner");
    CMenuEx m;
    ParkCursor();
    m.Create(owner.hwnd());
    const wchar_t* titles[] = {L"Calculator", L"\x041F\x0440\x0438\x0432\x0435\x0442.txt - Notepad", L"Notes - Notepad",
                               L"Registry Editor"};
    for (int i = 0; i < 4; ++i)
        m.AddItem(0, 150 + i, titles[i], nullptr, FALSE);
    m.BeginFixedRows();
    m.AddSeparator();
    m.AddItem(0, 141, L"Exit", nullptr, FALSE);
    struct Seen {
        std::vector<int> rows;
        std::wstring hot;
        int height;
    };
    std::vector<Seen> seen;
    auto look = [&] {
        Seen s{{}, HotText(m), m.m_nHeight};
        for (int r = 0; r < m.RowCount(); ++r)
            s.rows.push_back(m.ItemOfRow(r));
        seen.push_back(s);
    };
    bool openWithNoMatch = false;
    RECT before{}, after{};
    EXPECT_EQ(0, TrackWith(m, 600, 500, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        GetWindowRect(m.m_hWnd, &before);
        Type(m, L"NOTEPAD");
        look();
        GetWindowRect(m.m_hWnd, &after);
        Type(m, L"zz");
        look();
        Key(m, VK_RETURN);
        openWithNoMatch = m.IsInModalLoop();
        Key(m, VK_BACK);
        Key(m, VK_BACK);
        for (int i = 0; i < 7; ++i)
            Key(m, VK_BACK);
        look();
        Type(m, L"\x043F\x0420\x0418");   // пРИ
        look();
        Key(m, VK_RETURN);
    }));
    ASSERT_EQ(4u, seen.size());
    const int F = CMenuEx::kRowFilter, N = CMenuEx::kRowNoMatch;
    EXPECT_EQ((std::vector<int>{F, 1, 2, 4, 5}), seen[0].rows);
    EXPECT_EQ(titles[1], seen[0].hot) << "the first match";
    EXPECT_EQ((std::vector<int>{F, N, 4, 5}), seen[1].rows);
    EXPECT_EQ(L"(none)", seen[1].hot);
    EXPECT_TRUE(openWithNoMatch) << "Enter with nothing matching closed the popup";
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), seen[2].rows) << "erased: every window again";
    EXPECT_EQ((std::vector<int>{F, 1, 4, 5}), seen[3].rows) << "Cyrillic, either case";
    // The popup keeps its width and its corner at the point, and takes the
    // height of what it shows.
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    EXPECT_EQ(before.bottom, after.bottom);
    EXPECT_EQ(before.bottom - before.top - 18, after.bottom - after.top) << "a filter row for two window rows";
    auto commands = owner.only({WM_COMMAND});
    test::Flush();
    commands = owner.only({WM_COMMAND});
    ASSERT_EQ(1u, commands.size()) << test::Describe(commands);
    EXPECT_EQ(151u, commands[0].wParam);
}

TEST(MenuFilter, AMenuWithoutAListTakesNoTyping)
{
    Popup p;
    CMenuEx& m = p.menu;
    int rows = 0;
    EXPECT_EQ(0, TrackWith(m, 500, 400, [&] {
        KillTimer(m.m_hWnd, IDT_HOVER);
        Type(m, L"exit");
        rows = m.RowCount();
        m.Close();
    }));
    EXPECT_EQ(5, rows);
    EXPECT_STREQ(L"", m.m_szFilter);
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

namespace {

// Hands out one icon and records what it was asked, batch by batch.
struct CountingSource : CMenuIconSource {
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    std::vector<std::vector<UINT>> batches;
    bool open = false;
    void BeginAsking() override
    {
        EXPECT_FALSE(open);
        open = true;
        batches.emplace_back();
    }
    HICON IconFor(UINT nID) override
    {
        EXPECT_TRUE(open) << "asked outside a batch";
        batches.back().push_back(nID);
        return icon;
    }
    void EndAsking() override { open = false; }
};

}  // namespace

TEST(MenuScroll, RowsAddedWithoutAnIconAskForItOnceTheyComeIntoView)
{
    TallPopup t;
    CountingSource source;
    // A menu of its own: the rows of the list ask, the fixed rows do not.
    CMenuEx asking;
    asking.Create(t.owner.hwnd());
    asking.SetIconSource(&source);
    for (int i = 0; i < 80; ++i)
        asking.AddItem(0, 150 + i, (L"Window " + std::to_wstring(i + 1)).c_str(), i == 1 ? source.icon : nullptr,
                       FALSE);
    asking.SetIconSource(nullptr);
    asking.BeginFixedRows();
    asking.AddItem(0, 141, L"Exit", nullptr, FALSE);
    int inView = 0;
    EXPECT_EQ(0, TrackWith(asking, t.work.right - 40, t.work.bottom - 1, [&] {
        KillTimer(asking.m_hWnd, IDT_HOVER);
        for (int i = 0; i < 80; ++i)
            inView += asking.RowTop(i) != INT_MIN;
        SendMessageW(asking.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
        SendMessageW(asking.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);   // back: asked already
        asking.Close();
    }));
    ASSERT_EQ(2u, source.batches.size()) << "one batch on opening, one for the rows the wheel brought";
    std::vector<UINT> first;
    for (int i = 0; i < inView; ++i)
        if (i != 1)
            first.push_back(150 + i);
    EXPECT_EQ(first, source.batches[0]) << "the rows in view, less the one that had an icon";
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    EXPECT_EQ(lines, source.batches[1].size());
    EXPECT_EQ(static_cast<UINT>(150 + inView), source.batches[1][0]);
    EXPECT_EQ(nullptr, asking.m_arrItems[80]->hIcon);
}
