// Construction, window creation, measurement, placement and the life of the
// modal loop.
#include "framework/WinApp.h"
#include "tests/unit/menu/MenuTestKit.h"

#include <climits>
#include <memory>
#include <vector>

using namespace menutest;

namespace {

// Makes a window the application's main window for the life of the object,
// as the controller dialog is while the program runs.
class ScopedMainWindow {
public:
    ScopedMainWindow()
    {
        m_wnd.CreateEx(0, RegisterPlainWndClass(0), L"main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
        m_old = GetApp()->m_pMainWnd;
        GetApp()->m_pMainWnd = &m_wnd;
    }
    ~ScopedMainWindow() { GetApp()->m_pMainWnd = m_old; }
    HWND hwnd() const { return m_wnd.m_hWnd; }

private:
    CWnd m_wnd;
    CWnd* m_old = nullptr;
};

LOGFONTA FontOf(HFONT font)
{
    LOGFONTA lf{};
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

}  // namespace

TEST(MenuFonts, BothAreTahomaThirteenFromOneDescriptionDifferingOnlyInWeight)
{
    CMenuEx menu;
    ASSERT_NE(nullptr, menu.Font(false));
    ASSERT_NE(nullptr, menu.Font(true));
    LOGFONTA normal = FontOf(menu.Font(false));
    LOGFONTA bold = FontOf(menu.Font(true));
    EXPECT_EQ(13, normal.lfHeight);
    EXPECT_EQ(FW_NORMAL, normal.lfWeight);
    EXPECT_STREQ("Tahoma", normal.lfFaceName);
    EXPECT_EQ(FW_BOLD, bold.lfWeight);
    bold.lfWeight = FW_NORMAL;
    EXPECT_EQ(0, memcmp(&normal, &bold, sizeof normal)) << "the fonts differ in more than the weight";
    // Everything else is zero: width, escapement, italic, charset, quality...
    LOGFONTA zero{};
    zero.lfHeight = 13;
    zero.lfWeight = FW_NORMAL;
    lstrcpyA(zero.lfFaceName, "Tahoma");
    EXPECT_EQ(0, memcmp(&zero, &normal, sizeof zero));

    // The prefix has the real face, so measurements below are Tahoma's.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, menu.Font(false));
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_STREQ("Tahoma", face);
}

TEST(MenuCreate, MakesAHiddenDialogFramedPopupOwnedByTheMainWindowWithTheHoverTimer)
{
    ScopedMainWindow main;
    test::MessageLog owner("owner");
    RecordingMenu menu;
    EXPECT_EQ(-1, menu.Rows().Hot());
    EXPECT_EQ(5, menu.Rows().Height());
    EXPECT_EQ(0, menu.Rows().Width());
    ASSERT_EQ(TRUE, menu.Create(owner.hwnd()));
    ASSERT_NE(nullptr, menu.m_hWnd);
    EXPECT_EQ(owner.hwnd(), menu.Owner());

    const DWORD style = static_cast<DWORD>(GetWindowLongA(menu.m_hWnd, GWL_STYLE));
    EXPECT_EQ(0xC0400000u, style & (WS_POPUP | WS_CHILD | WS_CAPTION | WS_VISIBLE | WS_SYSMENU | WS_THICKFRAME));
    RECT rc{};
    GetWindowRect(menu.m_hWnd, &rc);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(0, rc.top);
    EXPECT_EQ(100, rc.right - rc.left);
    EXPECT_EQ(100, rc.bottom - rc.top);
    EXPECT_EQ(0, GetWindowTextLengthA(menu.m_hWnd));
    // A top-level popup: the main window is its owner, not its parent.
    EXPECT_EQ(main.hwnd(), GetWindow(menu.m_hWnd, GW_OWNER));
    EXPECT_EQ(GetDesktopWindow(), GetAncestor(menu.m_hWnd, GA_PARENT));

    // The class gives no brush: the popup never erases its background.
    EXPECT_EQ(0, GetClassLongPtrA(menu.m_hWnd, GCLP_HBRBACKGROUND));
    EXPECT_EQ(0, GetClassLongPtrA(menu.m_hWnd, GCLP_HCURSOR));

    // IDT_HOVER ticks even before any loop runs it; two ticks show the
    // period is short (200 ms) and that the handler sets it again.
    EXPECT_TRUE(test::PumpUntil([&] { return menu.Count(WM_TIMER) >= 2; }, 2000));
}

TEST(MenuCreate, WithoutAMainWindowThePopupIsUnowned)
{
    ASSERT_EQ(nullptr, GetApp()->GetMainWnd());
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    EXPECT_EQ(nullptr, GetWindow(menu.m_hWnd, GW_OWNER));
}

TEST(MenuCreate, AFailedWindowLeavesAMenuThatMeasuresAndNeverBlocks)
{
    // Another menu holds the process's popup window, so this one makes a
    // window of its own.
    CMenuEx holder;
    ASSERT_TRUE(holder.Create(nullptr));
    RecordingMenu menu;
    menu.failCreate = true;
    EXPECT_EQ(FALSE, menu.Create(nullptr));
    EXPECT_EQ(nullptr, menu.m_hWnd);

    // Measured on the screen instead of the missing window: same sizes.
    menu.AddItem(0, 1, L"Restore", nullptr, FALSE);
    EXPECT_EQ(Measure(L"Restore", false).cx, menu.Rows().Item(0).nTextWidth);
    EXPECT_EQ(Measure(L"Restore", false).cy, menu.Rows().Item(0).nHeight);

    // Nothing could ever end a loop on a missing window: Track returns at once.
    const DWORD start = GetTickCount();
    EXPECT_EQ(-1, menu.Track(0, 500, 400, nullptr, nullptr));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(menu.Rows().MaxTextWidth() + 42, menu.Rows().Width());
    EXPECT_EQ(FALSE, menu.Close());
}

TEST(MenuMeasure, TextItemsAreMeasuredOnceWithTheirOwnFont)
{
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    menu.AddItem(0x4000, 151, L"Notepad - Untitled", icon, FALSE);
    const SIZE normal = Measure(L"Notepad - Untitled", false);
    const MenuExItem& a = menu.Rows().Item(0);
    EXPECT_EQ(0x4000u, a.nFlags);   // bits without meaning are kept
    EXPECT_EQ(151u, a.nID);
    EXPECT_STREQ(L"Notepad - Untitled", a.szText);
    EXPECT_EQ(icon, a.hIcon);
    EXPECT_EQ(FALSE, a.bBold);
    EXPECT_EQ(normal.cx, a.nTextWidth);
    EXPECT_EQ(normal.cy, a.nHeight);
    EXPECT_EQ(normal.cx, menu.Rows().MaxTextWidth());
    EXPECT_EQ(normal.cy, menu.Rows().TextHeight());
    EXPECT_EQ(5 + normal.cy + 5, menu.Rows().Height());

    // A narrower bold item: measured bold, does not lower the maximum.
    menu.AddItem(MF_GRAYED, 7, L"Exit", nullptr, TRUE);
    const SIZE bold = Measure(L"Exit", true);
    ASSERT_NE(Measure(L"Exit", false).cx, bold.cx) << "bold and normal must differ for this check";
    EXPECT_EQ(bold.cx, menu.Rows().Item(1).nTextWidth);
    EXPECT_EQ(normal.cx, menu.Rows().MaxTextWidth());
    EXPECT_EQ(5 + (normal.cy + 5) + (bold.cy + 5), menu.Rows().Height());

    // A null text that is no separator: an empty row as tall as an empty
    // text measures.
    menu.AddItem(0, 9, nullptr, nullptr, FALSE);
    EXPECT_STREQ(L"", menu.Rows().Item(2).szText);
    EXPECT_EQ(Measure(L"", false).cy, menu.Rows().Item(2).nHeight);
    EXPECT_EQ(0, menu.Rows().Item(2).nTextWidth);
}

TEST(MenuMeasure, SeparatorsMeasureThreeDashesAndTakeHalfTheirHeight)
{
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddSeparator();
    const SIZE dashes = Measure(L"---", false);
    const MenuExItem& sep = menu.Rows().Item(0);
    EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR), sep.nFlags);
    EXPECT_EQ(0u, sep.nID);
    EXPECT_STREQ(L"", sep.szText);
    EXPECT_EQ(nullptr, sep.hIcon);
    EXPECT_EQ(dashes.cy / 2, sep.nHeight);
    EXPECT_EQ(dashes.cx, sep.nTextWidth);
    // The full height is the menu's text height, and the dashes count
    // toward the widest text.
    EXPECT_EQ(dashes.cy, menu.Rows().TextHeight());
    EXPECT_EQ(dashes.cx, menu.Rows().MaxTextWidth());
    EXPECT_EQ(5 + dashes.cy / 2 + 5, menu.Rows().Height());

    // Given text and the separator flag, the dashes are still what is measured.
    menu.AddItem(MF_SEPARATOR, 3, L"A much longer text than three dashes", nullptr, FALSE);
    EXPECT_EQ(dashes.cx, menu.Rows().Item(1).nTextWidth);
    EXPECT_STREQ(L"A much longer text than three dashes", menu.Rows().Item(1).szText);
}

TEST(MenuMeasure, ABoldSeparatorIsMeasuredWithTheBoldFont)
{
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddItem(MF_SEPARATOR, 0, nullptr, nullptr, TRUE);
    const SIZE bold = Measure(L"---", true);
    ASSERT_NE(Measure(L"---", false).cx, bold.cx) << "bold and normal dashes must differ for this check";
    EXPECT_EQ(bold.cx, menu.Rows().Item(0).nTextWidth);
    EXPECT_EQ(bold.cx, menu.Rows().MaxTextWidth());
}

TEST(MenuMeasure, ALongTextIsStoredAndMeasuredAsItsFirst99Characters)
{
    // Narrow letters: 99 of them fit the menu's width limit uncut.
    std::wstring text;
    for (int i = 0; i < 150; ++i)
        text += (i % 2) ? L'i' : L'l';
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddItem(0, 1, text.c_str(), nullptr, FALSE);
    const MenuExItem& item = menu.Rows().Item(0);
    EXPECT_EQ(text.substr(0, 99), std::wstring(item.szText));
    EXPECT_EQ(L'\0', item.szText[99]);
    EXPECT_EQ(Measure(text.substr(0, 99), false).cx, item.nTextWidth);
    EXPECT_LT(item.nTextWidth, Measure(text, false).cx);
}

TEST(MenuMeasure, TheCutAt99KeepsSurrogatePairsWhole)
{
    const std::wstring pair = L"\xD83D\xDE00";
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddItem(0, 1, (std::wstring(98, L'a') + pair + L"b").c_str(), nullptr, FALSE);
    menu.AddItem(0, 2, (std::wstring(97, L'c') + pair + L"d").c_str(), nullptr, FALSE);
    EXPECT_EQ(std::wstring(98, L'a'), std::wstring(menu.Rows().Item(0).szText));
    EXPECT_EQ(std::wstring(97, L'c') + pair, std::wstring(menu.Rows().Item(1).szText));
}

TEST(MenuTrack, AnEmptyMenuIs42By10WithItsBottomRightCornerAtThePoint)
{
    ParkCursor();
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    RECT rc{};
    EXPECT_EQ(0, TrackWith(menu, 500, 400, [&] {
        GetWindowRect(menu.m_hWnd, &rc);
        menu.Close();
    }));
    EXPECT_EQ(42, menu.Rows().Width());
    EXPECT_EQ(10, menu.Rows().Height());
    EXPECT_EQ(458, rc.left);
    EXPECT_EQ(390, rc.top);
    EXPECT_EQ(500, rc.right);
    EXPECT_EQ(400, rc.bottom);
}

TEST(MenuTrack, RowsComeFromTheMeasuredHeightTwoItemsAroundASeparatorAre57)
{
    ParkCursor();
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddItem(0, 1, L"Options", nullptr, FALSE);
    menu.AddSeparator();
    menu.AddItem(0, 2, L"Exit", nullptr, FALSE);
    const int cy = Measure(L"Options", false).cy;
    ASSERT_EQ(13, cy) << "Tahoma at height 13 measures 13";
    EXPECT_EQ(18, menu.Rows().Item(0).nHeight + 5);
    EXPECT_EQ(11, menu.Rows().Item(1).nHeight + 5);
    RECT rc{};
    bool shown = false;
    HWND popup = nullptr, foreground = nullptr, focus = nullptr;
    EXPECT_EQ(0, TrackWith(menu, 600, 500, [&] {
        popup = menu.m_hWnd;
        GetWindowRect(menu.m_hWnd, &rc);
        shown = IsWindowVisible(menu.m_hWnd) != FALSE;
        foreground = GetForegroundWindow();
        focus = GetFocus();
        menu.Close();
    }));
    EXPECT_EQ(57, menu.Rows().Height());
    EXPECT_EQ(57, rc.bottom - rc.top);
    EXPECT_EQ(Measure(L"Options", false).cx + 42, rc.right - rc.left);
    EXPECT_EQ(600, rc.right);
    EXPECT_EQ(500, rc.bottom);
    EXPECT_TRUE(shown);
    EXPECT_EQ(popup, foreground);
    EXPECT_EQ(popup, focus) << "the popup must have the focus while it is open";
}

TEST(MenuTrack, PlacementKeepsOffTheTopAndLeftEdgesOnly)
{
    ParkCursor();
    struct Case {
        int x, y, maxText, height;   // height before Track adds the bottom margin
        int left, top;
    } cases[] = {
        {10, 10, 100, 52, 21, 5},            // both axes pushed
        {1000, 700, 100, 52, 858, 643},      // 142 x 57, untouched
        {-300, -200, 100, 52, 21, 5},        // left of and above the screen
        {60, 700, 100, 52, 21, 643},         // only x pushed
        {1000, 30, 100, 52, 858, 5},         // only y pushed
        {163, 62, 100, 52, 21, 5},           // exactly on the limits
        {164, 63, 100, 52, 22, 6},           // one past them
    };
    for (const Case& c : cases) {
        RecordingMenu menu;
        ASSERT_TRUE(menu.Create(nullptr));
        // One row as wide as the case's text and, with the top margin and
        // its gap, as tall as its height.
        auto* row = new MenuExItem{};
        row->nTextWidth = c.maxText;
        row->nHeight = c.height - 10;
        menu.rows().Add(row);
        RECT rc{};
        EXPECT_EQ(0, TrackWith(menu, c.x, c.y, [&] {
            GetWindowRect(menu.m_hWnd, &rc);
            menu.Close();
        }));
        EXPECT_EQ(c.left, rc.left) << "point " << c.x << "," << c.y;
        EXPECT_EQ(c.top, rc.top) << "point " << c.x << "," << c.y;
        EXPECT_EQ(142, rc.right - rc.left);
        EXPECT_EQ(57, rc.bottom - rc.top);
    }
}

TEST(MenuClose, IsHarmlessAnyNumberOfTimes)
{
    CMenuEx menu;
    EXPECT_EQ(FALSE, menu.Close()) << "no window yet";
    ASSERT_TRUE(menu.Create(nullptr));
    HWND hwnd = menu.m_hWnd;
    EXPECT_EQ(TRUE, menu.Close());
    EXPECT_TRUE(ClosedPopup(hwnd));
    EXPECT_EQ(nullptr, menu.m_hWnd);
    EXPECT_EQ(FALSE, menu.Close());
    EXPECT_EQ(FALSE, menu.Close());
}

TEST(MenuClose, NestedInTheHidesKillFocusItEndsTheLoopOnceAndHidesOnce)
{
    ParkCursor();
    test::MessageLog owner("owner");
    RecordingMenu menu;
    ASSERT_TRUE(menu.Create(owner.hwnd()));
    menu.AddItem(0, 5, L"Item", nullptr, FALSE);
    bool hadFocus = false;
    BOOL closed = FALSE;
    HWND hwnd = nullptr;
    EXPECT_EQ(0, TrackWith(menu, 500, 400, [&] {
        hwnd = menu.m_hWnd;
        hadFocus = GetFocus() == menu.m_hWnd;
        menu.seen.clear();
        closed = menu.Close();
    }));
    ASSERT_TRUE(hadFocus);
    EXPECT_EQ(TRUE, closed);
    // The focus left as the window was hidden, so the handler's Close ran
    // nested inside it.
    EXPECT_EQ(1u, menu.Count(WM_KILLFOCUS));
    EXPECT_EQ(1u, menu.Count(WM_SHOWWINDOW));
    EXPECT_LT(menu.IndexOf(WM_SHOWWINDOW), menu.IndexOf(WM_KILLFOCUS));
    EXPECT_TRUE(ClosedPopup(hwnd));
    EXPECT_NE(hwnd, GetFocus());
    EXPECT_FALSE(menu.IsInModalLoop());
    test::Flush();
    EXPECT_EQ(0u, owner.count(WM_COMMAND));
}

TEST(MenuTrack, AQuitDuringTheLoopReturnsMinusOneAndIsPostedAgain)
{
    ParkCursor();
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddItem(0, 5, L"Item", nullptr, FALSE);
    EXPECT_EQ(-1, TrackWith(menu, 500, 400, [] { PostQuitMessage(23); }));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(23u, msg.wParam);
    // The loop ended without Close: the caller's Close ends the window.
    EXPECT_TRUE(IsWindow(menu.m_hWnd));
    EXPECT_EQ(TRUE, menu.Close());
}

TEST(MenuLife, IsLiveMenuKnowsExactlyTheMenusAliveNow)
{
    auto heap = std::make_unique<CMenuEx>();
    const void* heapAddress = heap.get();
    CMenuEx stackMenu;
    EXPECT_TRUE(CMenuEx::IsLiveMenu(heapAddress));
    EXPECT_TRUE(CMenuEx::IsLiveMenu(&stackMenu));
    EXPECT_FALSE(CMenuEx::IsLiveMenu(nullptr));
    int notAMenu = 0;
    EXPECT_FALSE(CMenuEx::IsLiveMenu(&notAMenu));
    EXPECT_FALSE(CMenuEx::IsLiveMenu(reinterpret_cast<const char*>(&stackMenu) + 4));
    heap.reset();
    EXPECT_FALSE(CMenuEx::IsLiveMenu(heapAddress));
    EXPECT_TRUE(CMenuEx::IsLiveMenu(&stackMenu));
}

TEST(MenuLife, DestroyingATrackedMenusObjectClosesItsWindow)
{
    HWND hwnd = nullptr;
    {
        CMenuEx menu;
        ASSERT_TRUE(menu.Create(nullptr));
        menu.AddItem(0, 1, L"Item", nullptr, FALSE);
        hwnd = menu.m_hWnd;
    }
    EXPECT_TRUE(ClosedPopup(hwnd));
}

// The process keeps one popup window: each popup takes it, and gives it back
// hidden, with no timer running and nothing of that popup left in it.
TEST(MenuLife, EachPopupTakesTheKeptWindowAndGivesItBackHiddenAndIdle)
{
    ParkCursor();
    test::MessageLog owner("owner");
    HWND kept = nullptr;
    {
        CMenuEx menu;
        ASSERT_TRUE(menu.Create(owner.hwnd()));
        kept = menu.m_hWnd;
        menu.AddItem(0, 7, L"Seven", nullptr, FALSE);
        TrackWith(menu, 500, 400, [&] { menu.Close(); });
        EXPECT_TRUE(IsWindow(kept));
        EXPECT_TRUE(ClosedPopup(kept));
        EXPECT_FALSE(KillTimer(kept, IDT_HOVER)) << "the hover timer outlived its popup";
        EXPECT_EQ(nullptr, CMenuEx::ToFill(&menu, owner.hwnd())) << "a popup that was shown is never filled";
    }
    EXPECT_TRUE(ClosedPopup(kept));
    // What still reaches it finds no popup to act on.
    SendMessageW(kept, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(kept, WM_LBUTTONUP, 0, Point(30, 8));
    SendMessageW(kept, WM_TIMER, IDT_HOVER, 0);
    test::Flush();
    EXPECT_EQ(0u, owner.count(WM_COMMAND));

    // The next popup shows it where and as big as its own rows say.
    CMenuEx next;
    ASSERT_TRUE(next.Create(owner.hwnd()));
    EXPECT_EQ(kept, next.m_hWnd);
    EXPECT_EQ(&next, CMenuEx::ToFill(&next, owner.hwnd()));
    next.AddItem(0, 8, L"Eight, a longer row", nullptr, FALSE);
    next.AddItem(0, 9, L"Nine", nullptr, FALSE);
    RECT rc{};
    bool shown = false;
    TrackWith(next, 700, 600, [&] {
        shown = IsWindowVisible(next.m_hWnd) && GetFocus() == next.m_hWnd;
        GetWindowRect(next.m_hWnd, &rc);
        next.Close();
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ((std::vector<LONG>{700 - next.Rows().Width(), 600 - 46, 700, 600}),
              (std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}));
    test::Flush();
    EXPECT_EQ(0u, owner.count(WM_COMMAND));
}

// Of two popups open at once, the one that closes first keeps its window for
// the next popup, and the other's goes.
TEST(MenuLife, APopupMadeWhileAnotherHoldsTheWindowHasOneOfItsOwn)
{
    auto first = std::make_unique<CMenuEx>();
    auto second = std::make_unique<CMenuEx>();
    ASSERT_TRUE(first->Create(nullptr) && second->Create(nullptr));
    const HWND a = first->m_hWnd, b = second->m_hWnd;
    EXPECT_NE(a, b);
    second.reset();
    first.reset();
    EXPECT_TRUE(ClosedPopup(b));
    EXPECT_TRUE(IsWindow(b));
    EXPECT_FALSE(IsWindow(a));
    CMenuEx next;
    ASSERT_TRUE(next.Create(nullptr));
    EXPECT_EQ(b, next.m_hWnd);
}

TEST(MenuFit, RowsThatFitOpenAsBeforeAndATallListScrollsInsideTheWorkArea)
{
    ParkCursor();
    RECT work{}, rc{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CMenuEx small, tall;
    ASSERT_TRUE(small.Create(nullptr) && tall.Create(nullptr));
    FillMainMenu(small, 3);
    FillMainMenu(tall, 80);
    const int natural = small.Rows().Height() + 5;
    TrackWith(small, 700, 600, [&] { small.Close(); });
    EXPECT_FALSE(small.Rows().Scrolls());
    EXPECT_EQ(natural, small.Rows().Height());
    for (int i = 0; i < small.Rows().ItemCount(); ++i)
        EXPECT_EQ(RowTop(small, i), small.Rows().RowTop(i)) << "row " << i;

    // From a point on the taskbar: inside the work area, at its foot, as tall
    // as it allows; the list's first rows under the strip, the fixed rows at
    // the foot with Exit last.
    TrackWith(tall, work.right - 11, work.bottom + 9, [&] {
        GetWindowRect(tall.m_hWnd, &rc);
        tall.Close();
    });
    EXPECT_TRUE(tall.Rows().Scrolls());
    EXPECT_EQ((std::vector<LONG>{work.right - 11 - tall.Rows().Width(), work.bottom - tall.Rows().Height(), work.right - 11, work.bottom}),
              (std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}));
    EXPECT_GE(rc.top, work.top);
    EXPECT_GT(rc.bottom - rc.top, work.bottom - work.top - 18) << "no more room left than a row";
    EXPECT_EQ(5 + 12, tall.Rows().RowTop(0));
    EXPECT_EQ(INT_MIN, tall.Rows().RowTop(79)) << "the last window out of view";
    const int nItems = tall.Rows().ItemCount();
    EXPECT_EQ(tall.Rows().Height() - 5 - 18, tall.Rows().RowTop(nItems - 1));
    for (int row = 80; row < nItems; ++row)
        EXPECT_NE(INT_MIN, tall.Rows().RowTop(row)) << "fixed row " << row;
}

TEST(MenuFit, ATitleTooWideForHalfTheWorkAreaEndsInAnEllipsis)
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int limit = (work.right - work.left) / 2 - 42;
    std::wstring wide;
    for (int i = 0; i < 99; ++i)
        wide += static_cast<wchar_t>(L'A' + i % 26);
    ASSERT_GT(Measure(wide, false).cx, limit);
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddItem(0, 150, wide.c_str(), nullptr, FALSE);
    menu.AddItem(0, 151, L"Notepad", nullptr, FALSE);
    const MenuExItem& cut = menu.Rows().Item(0);
    EXPECT_EQ(wide, std::wstring(cut.szText)) << "kept whole for the filter";
    ASSERT_GT(cut.nShown, 0);
    // Measured as shown; one more letter would not have fitted.
    EXPECT_EQ(Measure(wide.substr(0, cut.nShown) + L"\x2026", false).cx, cut.nTextWidth);
    EXPECT_LE(cut.nTextWidth, limit);
    EXPECT_GT(Measure(wide.substr(0, cut.nShown + 1) + L"\x2026", false).cx, limit);
    EXPECT_EQ(cut.nTextWidth, menu.Rows().MaxTextWidth());
    EXPECT_EQ(7, menu.Rows().Item(1).nShown);
}

// Filled on a monitor of 96 DPI and opened on one of 144: fonts, rows and
// margins half as big again (a text row 27, as the font's cell of 19 and a
// gap of 8 make it).
TEST(MenuDpi, AMenuOpenedOnAMonitorOf144IsMeasuredForIt)
{
    ParkCursor();
    CMenuEx menu;
    {
        ScopedDpi dpi(96);
        ASSERT_TRUE(menu.Create(nullptr));
        menu.AddItem(0, 1, L"Options", nullptr, FALSE);
        menu.AddItem(0, 2, L"Exit", nullptr, TRUE);
    }
    EXPECT_EQ(18, menu.Rows().Item(0).nHeight + menu.Rows().Metrics().nRowGap);
    ScopedDpi dpi(144);
    TrackWith(menu, 600, 500, [&] { menu.Close(); });
    LOGFONTW lf{};
    GetObjectW(menu.Font(true), sizeof lf, &lf);
    EXPECT_EQ(20, lf.lfHeight);
    EXPECT_EQ(27, menu.Rows().Item(0).nHeight + menu.Rows().Metrics().nRowGap);
    EXPECT_EQ(27, menu.Rows().Item(1).nHeight + menu.Rows().Metrics().nRowGap);
    EXPECT_EQ(8 + 27 + 27 + 8, menu.Rows().Height());
}
