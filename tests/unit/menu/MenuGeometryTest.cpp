// The popup's geometry, text and key rules as plain functions: sizes at a
// DPI, placement in a work area, the scrolling list, the title cut, the
// filter and the keyboard table. No window is made here.
#include "menu/MenuGeometry.h"
#include "menu/MenuKeys.h"
#include "menu/MenuText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Str(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

}  // namespace

TEST(MenuMetrics, At96TheMenusOwnNumbersAndRowsHalfAsTallAgainAt144)
{
    const MenuMetrics m = MetricsForDpi(96);
    EXPECT_EQ(13, m.nFontHeight);
    EXPECT_EQ(5, m.nMargin);
    EXPECT_EQ(5, m.nRowGap);
    EXPECT_EQ(21, m.nTextLeft);
    EXPECT_EQ(2, m.nSeparatorLine);
    EXPECT_EQ(2, m.nHotAbove);
    EXPECT_EQ(7, m.nHotRightGap);
    EXPECT_EQ(2, m.nIconLeft);
    EXPECT_EQ(16, m.nIconSize);
    EXPECT_EQ(1, m.nLine);

    // A text row is its font's cell and the gap under it.
    struct {
        int dpi, row, font, icon, line;
    } cases[] = {{96, 18, 13, 16, 1}, {120, 23, 16, 20, 1}, {144, 27, 20, 24, 1}, {192, 36, 26, 32, 2}};
    for (const auto& c : cases) {
        const MenuMetrics s = MetricsForDpi(c.dpi);
        EXPECT_EQ(c.row, s.nFontHeight + s.nRowGap) << c.dpi << " DPI";
        EXPECT_EQ(c.font, s.nFontHeight) << c.dpi << " DPI";
        EXPECT_EQ(c.icon, s.nIconSize) << c.dpi << " DPI";
        EXPECT_EQ(c.line, s.nLine) << c.dpi << " DPI";
    }
    EXPECT_EQ(96, MetricsForDpi(0).nDpi) << "no DPI known: 96";

    // A font whose cell rounds down still gives rows of the scaled height;
    // one that rounds up keeps the least gap.
    EXPECT_EQ(8, MetricsForDpi(144, 19).nRowGap);
    EXPECT_EQ(7, MetricsForDpi(144, 21).nRowGap);
    EXPECT_EQ(5, MetricsForDpi(96, 15).nRowGap) << "at 96 the gap is always 5";
}

TEST(MenuPlacement, TheOldRuleWhereItKeepsTheMenuInsideTheWorkArea)
{
    // The primary monitor of 1024 x 768 with a taskbar 20 high at its foot,
    // as the tests' desktop has it.
    const RECT work{0, 0, 1024, 748};
    const SIZE size{142, 57};
    struct Case {
        POINT pt;
        POINT want;
    } cases[] = {
        {{1000, 700}, {858, 643}},   // above and left of the point
        {{10, 10}, {21, 5}},         // both axes pushed
        {{-300, -200}, {21, 5}},     // left of and above every screen
        {{60, 700}, {21, 643}},
        {{1000, 30}, {858, 5}},
        {{163, 62}, {21, 5}},        // exactly on the limits
        {{164, 63}, {22, 6}},        // one past them
        {{1024, 748}, {882, 691}},   // the work area's corner
    };
    for (const Case& c : cases) {
        const RECT rc = PlaceMenu(c.pt, size, work, 21, 5);
        EXPECT_EQ(c.want.x, rc.left) << c.pt.x << "," << c.pt.y;
        EXPECT_EQ(c.want.y, rc.top) << c.pt.x << "," << c.pt.y;
        EXPECT_EQ(rc.left + 142, rc.right);
        EXPECT_EQ(rc.top + 57, rc.bottom);
    }
}

TEST(MenuPlacement, InsideTheWorkAreaWhereTheOldRuleWouldLeaveIt)
{
    const SIZE size{142, 57};
    struct Case {
        const char* what;
        POINT pt;
        RECT work;
        RECT want;
    } cases[] = {
        // The icon sits on the taskbar, below the work area: the menu ends at
        // the work area's foot, right-aligned with the point.
        {"point on a bottom taskbar", {1013, 757}, {0, 0, 1024, 748}, {871, 691, 1013, 748}},
        {"taskbar at the top", {1013, 10}, {0, 30, 1024, 768}, {871, 30, 1013, 87}},
        {"taskbar at the left", {40, 500}, {60, 0, 1024, 768}, {60, 443, 202, 500}},
        {"taskbar at the right", {1010, 500}, {0, 0, 960, 768}, {818, 443, 960, 500}},
        // A monitor left of the primary one: the old clamp at 21 would move
        // the menu onto the primary.
        {"monitor left of the primary", {-100, 500}, {-1280, 0, 0, 1024}, {-242, 443, -100, 500}},
        {"at its left edge", {-1270, 20}, {-1280, 0, 0, 1024}, {-1280, 5, -1138, 62}},
        // Above the primary one: the old clamp at 5 would do the same.
        {"monitor above the primary", {600, -300}, {0, -768, 1024, 0}, {458, -357, 600, -300}},
        {"its bottom taskbar", {1013, -11}, {0, -768, 1024, -20}, {871, -77, 1013, -20}},
        // Right of the primary: nothing the old rule did needs changing.
        {"monitor right of the primary", {1500, 700}, {1024, 0, 2304, 1024}, {1358, 643, 1500, 700}},
        {"at its left edge, pushed right", {1030, 700}, {1024, 0, 2304, 1024}, {1024, 643, 1166, 700}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Str(c.want), Str(PlaceMenu(c.pt, size, c.work, 21, 5))) << c.what;

    // Taller than the work area: its top edge wins.
    EXPECT_EQ(Str(RECT{400, 0, 542, 800}), Str(PlaceMenu(POINT{542, 757}, SIZE{142, 800}, RECT{0, 0, 1024, 748}, 21, 5)));
}

TEST(MenuList, FitsWholeOrScrollsWithWholeRowsBetweenTheStrips)
{
    std::vector<int> rows(80, 18);
    // 5 + 80 * 18 + 5 rows of fixed + 5: far over 748.
    const int fixed = 11 + 18 + 18 + 11 + 18 + 18;
    const ListSpace s = FitList(0, rows.data(), 80, fixed, 5, 12, 748);
    EXPECT_TRUE(s.bScrolls);
    EXPECT_EQ(0, s.nViewport % 18) << "whole rows only";
    EXPECT_LE(s.nHeight, 748);
    EXPECT_GT(s.nHeight, 748 - 18) << "no more room left than a row";
    EXPECT_EQ(2 * 5 + fixed + 2 * 12 + s.nViewport, s.nHeight);

    // Three rows fit: nothing scrolls, no strips.
    const ListSpace f = FitList(18, rows.data(), 3, fixed, 5, 12, 748);
    EXPECT_FALSE(f.bScrolls);
    EXPECT_EQ(54, f.nViewport);
    EXPECT_EQ(10 + 18 + 54 + fixed, f.nHeight);

    // Exactly the height: fits.
    EXPECT_FALSE(FitList(0, rows.data(), 10, 0, 5, 12, 190).bScrolls);
    EXPECT_TRUE(FitList(0, rows.data(), 10, 0, 5, 12, 189).bScrolls);

    // No room at all still shows one row.
    const ListSpace tiny = FitList(0, rows.data(), 80, 700, 5, 12, 748);
    EXPECT_TRUE(tiny.bScrolls);
    EXPECT_EQ(18, tiny.nViewport);
}

TEST(MenuList, RowsInViewAndTheTopKeptInRange)
{
    // Mixed heights: a separator among text rows.
    const std::vector<int> rows{18, 18, 11, 18, 18, 18, 18};
    EXPECT_EQ(3, RowsInView(rows.data(), 7, 0, 47));
    EXPECT_EQ(2, RowsInView(rows.data(), 7, 0, 46));
    EXPECT_EQ(1, RowsInView(rows.data(), 7, 6, 40)) << "the last row";
    EXPECT_EQ(1, RowsInView(rows.data(), 7, 0, 5)) << "one row at least";
    EXPECT_EQ(0, RowsInView(rows.data(), 7, 7, 40));

    EXPECT_EQ(5, LastTop(rows.data(), 7, 36));
    EXPECT_EQ(4, LastTop(rows.data(), 7, 54));
    EXPECT_EQ(6, LastTop(rows.data(), 7, 10)) << "a row taller than the viewport";
    EXPECT_EQ(0, LastTop(rows.data(), 7, 500));

    EXPECT_EQ(0, ClampTop(rows.data(), 7, -3, 36));
    EXPECT_EQ(5, ClampTop(rows.data(), 7, 9, 36));
    EXPECT_EQ(2, ClampTop(rows.data(), 7, 2, 36));

    // Into view with the least movement, from above and from below.
    EXPECT_EQ(1, TopToShow(rows.data(), 7, 3, 1, 36));
    EXPECT_EQ(3, TopToShow(rows.data(), 7, 3, 4, 36)) << "in view already";
    EXPECT_EQ(5, TopToShow(rows.data(), 7, 0, 6, 36));
    EXPECT_EQ(2, TopToShow(rows.data(), 7, 0, 3, 36)) << "rows 2 and 3 fit in 36";
    EXPECT_EQ(4, TopToShow(rows.data(), 7, 4, 99, 36)) << "no such row: stays";
}

TEST(MenuTitleCut, FitsWholeOrEndsInAnEllipsisBetweenCharacters)
{
    // Every code unit 6 pixels wide; the ellipsis 9.
    auto extents = [](int n) {
        std::vector<int> e;
        for (int i = 1; i <= n; ++i)
            e.push_back(6 * i);
        return e;
    };
    const std::wstring text = L"Untitled - Notepad";
    const auto e = extents(static_cast<int>(text.size()));
    EXPECT_EQ(18, CutToWidth(text.c_str(), 18, e.data(), 108, 9)) << "fits exactly";
    EXPECT_EQ(16, CutToWidth(text.c_str(), 18, e.data(), 107, 9)) << "16 * 6 + 9 = 105";
    // A cut that would end in a space drops it: "Untitled -…" not "Untitled - …".
    EXPECT_EQ(10, CutToWidth(text.c_str(), 18, e.data(), 6 * 11 + 9, 9));
    EXPECT_EQ(0, CutToWidth(text.c_str(), 18, e.data(), 8, 9)) << "only the ellipsis";
    EXPECT_EQ(0, CutToWidth(L"", 0, nullptr, 10, 9));

    // Never half a surrogate pair: the pair goes whole or not at all.
    const std::wstring pairs = L"ab\xD83D\xDE00\xD83D\xDE01" L"cd";
    const auto p = extents(static_cast<int>(pairs.size()));
    EXPECT_EQ(2, CutToWidth(pairs.c_str(), 8, p.data(), 6 * 3 + 9, 9));
    EXPECT_EQ(4, CutToWidth(pairs.c_str(), 8, p.data(), 6 * 4 + 9, 9));
    EXPECT_EQ(4, CutToWidth(pairs.c_str(), 8, p.data(), 6 * 5 + 9, 9));
}

TEST(MenuFilter, ASubstringOfTheTitleWithoutRegardToCaseInAnyScript)
{
    struct {
        const wchar_t* title;
        const wchar_t* typed;
        bool match;
    } cases[] = {
        {L"Untitled - Notepad", L"note", true},
        {L"Untitled - Notepad", L"NOTEPAD", true},
        {L"Untitled - Notepad", L"d - n", true},
        {L"Untitled - Notepad", L"notes", false},
        {L"\x041F\x0440\x0438\x0432\x0435\x0442.txt - Notepad", L"\x043F\x0440\x0418\x0412", true},   // Привет / прИВ
        {L"\x0391\x0398\x0397\x039D\x0391", L"\x03B8\x03B7\x03BD", true},                              // ΑΘΗΝΑ / θην
        {L"\x4F60\x597D.txt", L"\x597D", true},                                                         // 你好 / 好
        {L"Anything", L"", true},
        {L"", L"a", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.match, ContainsNoCase(c.title, c.typed)) << "'" << c.typed << "' in a title";
}

TEST(MenuFilter, TypedTextTakesWholeCharactersAndGivesThemBackWhole)
{
    WCHAR text[6] = L"";
    EXPECT_TRUE(AddTyped(text, 6, L'a'));
    EXPECT_FALSE(AddTyped(text, 6, 0xDE00)) << "a second half with no first";
    EXPECT_TRUE(AddTyped(text, 6, 0xD83D));
    EXPECT_TRUE(AddTyped(text, 6, 0xDE00));
    EXPECT_TRUE(AddTyped(text, 6, L'b'));
    EXPECT_FALSE(AddTyped(text, 6, 0xD83D)) << "no room for the second half";
    EXPECT_TRUE(AddTyped(text, 6, L'c'));
    EXPECT_FALSE(AddTyped(text, 6, L'd')) << "full";
    EXPECT_EQ(std::wstring(L"a\xD83D\xDE00" L"bc"), std::wstring(text));

    EXPECT_TRUE(EraseTyped(text));
    EXPECT_TRUE(EraseTyped(text));
    EXPECT_EQ(std::wstring(L"a\xD83D\xDE00"), std::wstring(text));
    EXPECT_TRUE(EraseTyped(text)) << "the pair goes in one";
    EXPECT_EQ(std::wstring(L"a"), std::wstring(text));
    EXPECT_TRUE(EraseTyped(text));
    EXPECT_FALSE(EraseTyped(text)) << "nothing left";
}

TEST(MenuKeyTable, MovesSkipWhatCannotBeChosenEnterChoosesEscapeCloses)
{
    // 0 window, 1 window, 2 separator, 3 grey, 4 Minimize All, 5 separator,
    // 6 Options, 7 Exit.
    const bool rows[] = {true, true, false, false, true, false, true, true};
    const int n = 8, page = 3;
    using A = MenuKeyAction;
    struct Case {
        UINT vk;
        int hot;
        A action;
        int row;
    } cases[] = {
        {VK_DOWN, -1, A::Move, 0},    {VK_UP, -1, A::Move, 7},     // nothing highlighted: from an end
        {VK_DOWN, 1, A::Move, 4},     {VK_UP, 4, A::Move, 1},      // over the separator and the grey row
        {VK_DOWN, 7, A::Move, 0},     {VK_UP, 0, A::Move, 7},      // round from one end to the other
        {VK_HOME, 6, A::Move, 0},     {VK_END, 1, A::Move, 7},
        {VK_HOME, 0, A::None, 0},     {VK_END, 7, A::None, 7},     // there already
        {VK_NEXT, 0, A::Move, 1},     {VK_NEXT, 1, A::Move, 4},    // 3 rows on is grey: the last before it, else on
        {VK_NEXT, 6, A::Move, 7},     {VK_NEXT, 7, A::None, 7},    // stops at the end
        {VK_PRIOR, 7, A::Move, 4},    {VK_PRIOR, 4, A::Move, 1},
        {VK_PRIOR, 1, A::Move, 0},    {VK_PRIOR, 0, A::None, 0},
        {VK_NEXT, -1, A::Move, 0},
        {VK_RETURN, 6, A::Choose, 6}, {VK_RETURN, 3, A::None, 3},  // a grey row is not chosen
        {VK_RETURN, -1, A::None, -1}, {VK_ESCAPE, 4, A::Close, 4},
        {VK_ESCAPE, -1, A::Close, -1}, {VK_LEFT, 4, A::None, 4},
        {VK_DOWN, 99, A::Move, 0},                                  // a hot row beyond the rows is none
    };
    for (const Case& c : cases) {
        const MenuKeyResult r = KeyInMenu(c.vk, rows, n, c.hot, page);
        EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(r.action)) << "key " << c.vk << " from " << c.hot;
        if (c.action == A::Move) {
            EXPECT_EQ(c.row, r.nRow) << "key " << c.vk << " from " << c.hot;
        }
    }

    // Nothing can be chosen: the keys move nothing.
    const bool none[] = {false, false};
    EXPECT_EQ(static_cast<int>(A::None), static_cast<int>(KeyInMenu(VK_DOWN, none, 2, -1, 1).action));
    EXPECT_EQ(static_cast<int>(A::None), static_cast<int>(KeyInMenu(VK_END, none, 2, -1, 1).action));
}
