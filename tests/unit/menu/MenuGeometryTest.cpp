// The popup's geometry, text and key rules as plain functions: sizes at a
// DPI, placement in a work area, the scrolling list, the title cut, the
// filter and the keyboard table. No window is made here.
#include "menu/MenuGeometry.h"
#include "menu/MenuKeys.h"
#include "menu/MenuText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(MenuMetrics, TheMenusOwnNumbersAt96AndRowsHalfAsTallAgainAt144)
{
    const MenuMetrics m = MetricsForDpi(96);
    EXPECT_EQ((std::vector<int>{13, 5, 5, 21, 2, 2, 7, 2, 16, 1}),
              (std::vector<int>{m.nFontHeight, m.nMargin, m.nRowGap, m.nTextLeft, m.nSeparatorLine, m.nHotAbove,
                                m.nHotRightGap, m.nIconLeft, m.nIconSize, m.nLine}));
    // dpi, text row, font, icon, line; a font whose cell rounds down (Tahoma
    // at 20 measures 19) still gives rows of the scaled height.
    const int cases[][6] = {{96, 0, 18, 13, 16, 1}, {144, 0, 27, 20, 24, 1}, {144, 19, 27, 20, 24, 1},
                            {120, 0, 23, 16, 20, 1}, {192, 0, 36, 26, 32, 2}};
    for (const auto& c : cases) {
        const MenuMetrics s = MetricsForDpi(c[0], c[1]);
        EXPECT_EQ(c[2], (c[1] ? c[1] : s.nFontHeight) + s.nRowGap) << c[0] << " DPI, cell " << c[1];
        EXPECT_EQ(c[3], s.nFontHeight) << c[0];
        EXPECT_EQ(c[4], s.nIconSize) << c[0];
        EXPECT_EQ(c[5], s.nLine) << c[0];
    }
    EXPECT_EQ(5, MetricsForDpi(96, 15).nRowGap) << "at 96 the gap stays 5 whatever the font";
}

TEST(MenuPlacement, TheOldRuleWhereItStaysInsideTheWorkAreaElseTheWorkArea)
{
    const SIZE size{142, 57};
    const RECT primary{0, 0, 1024, 748};   // a taskbar 20 high at the foot
    struct Case {
        const char* what;
        POINT pt;
        RECT work;
        POINT topLeft;
    } cases[] = {
        // The old examples: above and left of the point, kept 21 and 5 off
        // the screen's left and top edges.
        {"old: untouched", {1000, 700}, primary, {858, 643}},
        {"old: both pushed", {10, 10}, primary, {21, 5}},
        {"old: off every screen", {-300, -200}, primary, {21, 5}},
        {"old: on the limits", {163, 62}, primary, {21, 5}},
        {"old: one past them", {164, 63}, primary, {22, 6}},
        // Where the old rule leaves part of the menu outside the work area.
        {"point on a bottom taskbar: corner at the point", {1013, 757}, primary, {871, 700}},
        {"taskbar at the top", {1013, 10}, {0, 30, 1024, 768}, {871, 30}},
        {"taskbar at the left", {40, 500}, {60, 0, 1024, 768}, {60, 443}},
        {"taskbar at the right: corner at the point", {1010, 500}, {0, 0, 960, 768}, {868, 443}},
        {"monitor left of the primary", {-100, 500}, {-1280, 0, 0, 1024}, {-242, 443}},
        {"its left edge", {-1270, 20}, {-1280, 0, 0, 1024}, {-1280, 5}},
        {"monitor above the primary", {600, -300}, {0, -768, 1024, 0}, {458, -357}},
        {"its bottom taskbar", {1013, -11}, {0, -768, 1024, -20}, {871, -68}},
        {"left edge of a monitor right of it", {1030, 700}, {1024, 0, 2304, 1024}, {1024, 643}},
    };
    for (const Case& c : cases) {
        const RECT rc = PlaceMenu(c.pt, size, c.work, 21, 5);
        EXPECT_EQ(c.topLeft.x, rc.left) << c.what;
        EXPECT_EQ(c.topLeft.y, rc.top) << c.what;
        EXPECT_EQ(rc.left + 142, rc.right) << c.what;
        EXPECT_EQ(rc.top + 57, rc.bottom) << c.what;
    }
    // Sized to the work area: wholly inside it, the top winning if need be.
    EXPECT_EQ(691, PlaceMenu(POINT{1013, 757}, size, primary, 21, 5, true).top);
    EXPECT_EQ(818, PlaceMenu(POINT{1010, 500}, size, RECT{0, 0, 960, 768}, 21, 5, true).left);
    EXPECT_EQ(0, PlaceMenu(POINT{542, 757}, SIZE{142, 800}, primary, 21, 5, true).top);
}

TEST(MenuList, FitsWholeOrScrollsWholeRowsAndKeepsItsTopInRange)
{
    std::vector<int> rows(80, 18);
    const int fixed = 94;   // the main menu's rows after its list
    const ListSpace s = FitList(0, rows.data(), 80, fixed, 5, 12, 748);
    EXPECT_TRUE(s.bScrolls);
    EXPECT_EQ(34 * 18, s.nViewport) << "as many whole rows as the room takes";
    EXPECT_EQ(10 + fixed + 24 + 34 * 18, s.nHeight);
    const ListSpace f = FitList(18, rows.data(), 3, fixed, 5, 12, 748);
    EXPECT_FALSE(f.bScrolls);
    EXPECT_EQ(10 + 18 + 54 + fixed, f.nHeight);
    EXPECT_FALSE(FitList(0, rows.data(), 10, 0, 5, 12, 190).bScrolls) << "exactly the height fits";
    EXPECT_EQ(18, FitList(0, rows.data(), 80, 700, 5, 12, 748).nViewport) << "no room: one row";

    // A separator among text rows.
    const std::vector<int> mixed{18, 18, 11, 18, 18, 18, 18};
    const int* p = mixed.data();
    EXPECT_EQ(3, RowsInView(p, 7, 0, 47));
    EXPECT_EQ(2, RowsInView(p, 7, 0, 46));
    EXPECT_EQ(1, RowsInView(p, 7, 0, 5)) << "one at least";
    EXPECT_EQ(5, LastTop(p, 7, 36));
    EXPECT_EQ(6, LastTop(p, 7, 10)) << "a row taller than the viewport";
    EXPECT_EQ(0, ClampTop(p, 7, -3, 36));
    EXPECT_EQ(5, ClampTop(p, 7, 9, 36));
    EXPECT_EQ(1, TopToShow(p, 7, 3, 1, 36)) << "up to a row above";
    EXPECT_EQ(3, TopToShow(p, 7, 3, 4, 36)) << "in view already";
    EXPECT_EQ(5, TopToShow(p, 7, 0, 6, 36)) << "down to the last";
}

TEST(MenuText, ATitleCutBetweenCharactersEndsInAnEllipsis)
{
    // Every code unit 6 pixels wide; the ellipsis 9.
    std::vector<int> e;
    for (int i = 1; i <= 18; ++i)
        e.push_back(6 * i);
    const wchar_t* text = L"Untitled - Notepad";
    EXPECT_EQ(18, CutToWidth(text, 18, e.data(), 108, 9)) << "fits exactly";
    EXPECT_EQ(16, CutToWidth(text, 18, e.data(), 107, 9));
    EXPECT_EQ(10, CutToWidth(text, 18, e.data(), 6 * 11 + 9, 9)) << "the space before the cut goes";
    EXPECT_EQ(0, CutToWidth(text, 18, e.data(), 8, 9));
    const wchar_t* pairs = L"ab\xD83D\xDE00\xD83D\xDE01" L"cd";
    EXPECT_EQ(2, CutToWidth(pairs, 8, e.data(), 6 * 3 + 9, 9)) << "never half a pair";
    EXPECT_EQ(4, CutToWidth(pairs, 8, e.data(), 6 * 5 + 9, 9));
}

TEST(MenuText, TheFilterIgnoresCaseInAnyScriptAndTypingKeepsPairsWhole)
{
    EXPECT_TRUE(ContainsNoCase(L"Untitled - Notepad", L"NOTEpad"));
    EXPECT_TRUE(ContainsNoCase(L"Untitled - Notepad", L"d - n"));
    EXPECT_FALSE(ContainsNoCase(L"Untitled - Notepad", L"notes"));
    EXPECT_TRUE(ContainsNoCase(L"\x041F\x0440\x0438\x0432\x0435\x0442.txt", L"\x043F\x0440\x0418\x0412"));   // Привет, прИВ
    EXPECT_TRUE(ContainsNoCase(L"\x0391\x0398\x0397\x039D\x0391", L"\x03B8\x03B7\x03BD"));                    // ΑΘΗΝΑ, θην
    EXPECT_TRUE(ContainsNoCase(L"\x4F60\x597D.txt", L"\x597D"));
    EXPECT_TRUE(ContainsNoCase(L"Anything", L""));

    WCHAR typed[6] = L"";
    EXPECT_TRUE(AddTyped(typed, 6, L'a'));
    EXPECT_FALSE(AddTyped(typed, 6, 0xDE00)) << "a second half with no first";
    EXPECT_TRUE(AddTyped(typed, 6, 0xD83D) && AddTyped(typed, 6, 0xDE00) && AddTyped(typed, 6, L'b'));
    EXPECT_FALSE(AddTyped(typed, 6, 0xD83D)) << "no room for its second half";
    EXPECT_TRUE(AddTyped(typed, 6, L'c'));
    EXPECT_FALSE(AddTyped(typed, 6, L'd')) << "full";
    EXPECT_TRUE(EraseTyped(typed) && EraseTyped(typed) && EraseTyped(typed));
    EXPECT_EQ(std::wstring(L"a"), std::wstring(typed)) << "the pair went in one";
    EXPECT_TRUE(EraseTyped(typed));
    EXPECT_FALSE(EraseTyped(typed));
}

TEST(MenuKeyTable, MovesPassWhatCannotBeChosenEnterChoosesEscapeCloses)
{
    // 0, 1 windows; 2 separator; 3 grey; 4 Minimize All; 5 separator; 6, 7.
    const bool rows[] = {true, true, false, false, true, false, true, true};
    using A = MenuKeyAction;
    const struct {
        UINT vk;
        int hot;
        A action;
        int row;
    } cases[] = {
        {VK_DOWN, -1, A::Move, 0}, {VK_UP, -1, A::Move, 7},  {VK_DOWN, 1, A::Move, 4},   {VK_UP, 4, A::Move, 1},
        {VK_DOWN, 7, A::Move, 0},  {VK_UP, 0, A::Move, 7},   {VK_HOME, 6, A::Move, 0},   {VK_END, 1, A::Move, 7},
        {VK_HOME, 0, A::None, 0},  {VK_NEXT, 0, A::Move, 1}, {VK_NEXT, 1, A::Move, 4},   {VK_NEXT, 6, A::Move, 7},
        {VK_NEXT, 7, A::None, 7},  {VK_PRIOR, 7, A::Move, 4}, {VK_PRIOR, 1, A::Move, 0}, {VK_PRIOR, 0, A::None, 0},
        {VK_RETURN, 6, A::Choose, 6}, {VK_RETURN, 3, A::None, 3}, {VK_RETURN, -1, A::None, -1},
        {VK_ESCAPE, -1, A::Close, -1}, {VK_LEFT, 4, A::None, 4}, {VK_DOWN, 99, A::Move, 0},
    };
    for (const auto& c : cases) {
        const MenuKeyResult r = KeyInMenu(c.vk, rows, 8, c.hot, 3);
        EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(r.action)) << "key " << c.vk << " from " << c.hot;
        if (c.action == A::Move) {
            EXPECT_EQ(c.row, r.nRow) << "key " << c.vk << " from " << c.hot;
        }
    }
    const bool none[] = {false, false};
    EXPECT_EQ(static_cast<int>(A::None), static_cast<int>(KeyInMenu(VK_DOWN, none, 2, -1, 1).action));
}
