// The rows of a popup as it shows them, with plain calls and no window: the
// sizes, the rows in view and under a point, the list that scrolls, the
// typed filter, what can be chosen and the keys, the icons asked for.
#include "menu/MenuRows.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// A row measured as Tahoma 13 measures at 96 DPI: text 13 high (a row of 18
// with its gap), a separator 6 (11).
MenuExItem* Measured(UINT id, const wchar_t* text, UINT flags = 0, int width = 60)
{
    auto* item = new MenuExItem{};
    item->nID = id;
    item->nFlags = flags;
    lstrcpynW(item->szText, text, 100);
    item->nShown = lstrlenW(item->szText);
    item->nHeight = (flags & MF_SEPARATOR) ? 6 : 13;
    item->nTextWidth = width;
    return item;
}

// The main menu's shape: windows 150.. as the list, then a separator,
// Minimize All, Close All, a separator, Options, Exit (94 pixels of rows).
void MainMenu(CMenuRows& rows, int nWindows)
{
    for (int i = 0; i < nWindows; ++i)
        rows.Add(Measured(150 + i, (L"Window " + std::to_wstring(i + 1)).c_str()));
    rows.SetIconSource(nullptr);
    rows.EndList();
    rows.Add(Measured(0, L"", MF_SEPARATOR));
    rows.Add(Measured(140, L"Minimize All"));
    rows.Add(Measured(144, L"Close All"));
    rows.Add(Measured(0, L"", MF_SEPARATOR));
    rows.Add(Measured(142, L"Options"));
    rows.Add(Measured(141, L"Exit"));
}

std::vector<int> Shown(const CMenuRows& rows)
{
    std::vector<int> out;
    for (int r = 0; r < rows.RowCount(); ++r)
        out.push_back(rows.ItemOfRow(r));
    return out;
}

void TypeText(CMenuRows& rows, const std::wstring& text)
{
    for (wchar_t ch : text)
        rows.Type(ch);
}

int Strip(const CMenuRows& rows, int x, int y)
{
    int strip = -1;
    rows.RowAt(POINT{x, y}, &strip);
    return strip;
}

constexpr int kWork = 748;   // a work area's height: the screen less a taskbar

}  // namespace

TEST(MenuRows, AreTheItemsOneUnderTheOtherAcrossTheWidthBetweenTheMargins)
{
    CMenuRows rows;
    EXPECT_EQ(5, rows.Height()) << "the top margin alone";
    rows.Add(Measured(1, L"Open", 0, 40));
    rows.Add(Measured(0, L"", MF_SEPARATOR, 17));
    rows.Add(Measured(2, L"Grayed", MF_GRAYED, 90));
    rows.Add(Measured(3, L"Exit", 0, 30));
    EXPECT_EQ(90, rows.MaxTextWidth());
    EXPECT_EQ(0, rows.Width()) << "fixed when it opens";
    EXPECT_EQ(5 + 18 + 11 + 18 + 18, rows.Height());

    rows.Open(kWork);
    EXPECT_EQ(90 + 42, rows.Width());
    EXPECT_EQ(75, rows.Height()) << "and the bottom margin";
    EXPECT_FALSE(rows.Scrolls());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), Shown(rows));
    EXPECT_EQ((std::vector<int>{5, 23, 34, 52}),
              (std::vector<int>{rows.RowTop(0), rows.RowTop(1), rows.RowTop(2), rows.RowTop(3)}));

    // A row takes its top pixel, not its bottom one, and the whole width.
    const int w = rows.Width();
    const std::vector<std::pair<POINT, int>> at = {
        {{0, 4}, -1},  {{0, 5}, 0},   {{w - 1, 22}, 0}, {{w, 10}, -1}, {{-1, 10}, -1},
        {{10, 23}, 1}, {{10, 69}, 3}, {{10, 70}, -1},
    };
    for (const auto& [pt, row] : at) {
        EXPECT_EQ(row, rows.RowAt(pt)) << pt.x << "," << pt.y;
        EXPECT_EQ(row, rows.ItemAt(pt)) << pt.x << "," << pt.y;
        EXPECT_EQ(0, Strip(rows, pt.x, pt.y));
    }
    EXPECT_FALSE(rows.CanScroll(true) || rows.CanScroll(false) || rows.ScrollBy(1));
}

TEST(MenuRows, ATallListScrollsBetweenItsStripsWhileTheFixedRowsStayInView)
{
    CMenuRows rows;
    MainMenu(rows, 80);
    rows.Open(kWork);
    // 748 less margins, fixed rows and strips leave 620 pixels: 34 rows.
    ASSERT_TRUE(rows.Scrolls());
    EXPECT_EQ(10 + 94 + 24 + 34 * 18, rows.Height());
    EXPECT_EQ(34, rows.PageRows());
    EXPECT_EQ(5 + 12, rows.RowTop(0));
    EXPECT_EQ(INT_MIN, rows.RowTop(34));
    EXPECT_EQ(17 + 34 * 18 + 12, rows.RowTop(80)) << "the fixed rows start below the lower strip";
    EXPECT_EQ(rows.Height() - 5 - 18, rows.RowTop(85)) << "Exit at the foot";
    EXPECT_EQ(1, Strip(rows, 10, 5));
    EXPECT_EQ(2, Strip(rows, 10, 17 + 34 * 18 + 11));
    EXPECT_EQ(-1, rows.ItemAt(POINT{10, 8}));

    EXPECT_FALSE(rows.CanScroll(true));
    EXPECT_TRUE(rows.CanScroll(false));
    EXPECT_FALSE(rows.ScrollBy(-1));
    EXPECT_TRUE(rows.ScrollBy(3));
    EXPECT_EQ(3, rows.Top());
    EXPECT_EQ(INT_MIN, rows.RowTop(0));
    EXPECT_EQ(3, rows.ItemAt(POINT{10, 17}));
    EXPECT_TRUE(rows.ScrollBy(100));
    EXPECT_EQ(80 - 34, rows.Top()) << "the last rows just fill the list";
    EXPECT_FALSE(rows.CanScroll(false) || rows.ScrollBy(1));

    // Into view with the least movement; a fixed row is always in view.
    EXPECT_TRUE(rows.ScrollToItem(0));
    EXPECT_EQ(0, rows.Top());
    EXPECT_TRUE(rows.ScrollToItem(40));
    EXPECT_EQ(40 - 33, rows.Top());
    EXPECT_FALSE(rows.ScrollToItem(20));
    EXPECT_FALSE(rows.ScrollToItem(84));
    EXPECT_EQ(7, rows.Top());
}

TEST(MenuRows, TypingFiltersTheListShowsWhatWasTypedAndSaysWhenNothingMatches)
{
    const int F = CMenuRows::kRowFilter, N = CMenuRows::kRowNoMatch;
    CMenuRows rows;
    rows.Add(Measured(150, L"Calculator"));
    rows.Add(Measured(0, L"", MF_SEPARATOR));
    rows.Add(Measured(151, L"Untitled - Notepad", MF_GRAYED));
    rows.Add(Measured(152, L"Notes - Notepad"));
    rows.EndList();
    rows.Add(Measured(141, L"Exit"));
    rows.Open(kWork);

    EXPECT_TRUE(rows.TakesTyping(L'n'));
    for (WCHAR key : {WCHAR{0x1B}, WCHAR{L'\r'}, WCHAR{L'\b'}, WCHAR{0x7F}})
        EXPECT_FALSE(rows.TakesTyping(key) || rows.Type(key)) << "control character " << int{key};

    TypeText(rows, L"NOTE");
    EXPECT_STREQ(L"NOTE", rows.Filter());
    EXPECT_EQ(3, rows.Refilter(kWork)) << "the first match that can be chosen";
    EXPECT_EQ((std::vector<int>{F, 2, 3, 4}), Shown(rows));
    EXPECT_EQ(5 + 4 * 18 + 5, rows.Height()) << "as tall as what it shows";
    EXPECT_EQ(5 + 18, rows.RowTop(1));
    EXPECT_EQ(-1, rows.ItemAt(POINT{10, 6})) << "the typed text's row is no item";

    EXPECT_TRUE(rows.Type(L'z'));
    EXPECT_EQ(-1, rows.Refilter(kWork));
    EXPECT_EQ((std::vector<int>{F, N, 4}), Shown(rows));
    EXPECT_EQ(-1, rows.ItemAt(POINT{10, 5 + 18 + 2}));

    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(rows.Erase());
    EXPECT_FALSE(rows.Erase());
    EXPECT_EQ(0, rows.Refilter(kWork));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Shown(rows));

    // Half a surrogate pair waits for the other half.
    EXPECT_FALSE(rows.Type(0xD83D));
    EXPECT_TRUE(rows.Type(0xDE00));
    EXPECT_EQ(2, lstrlenW(rows.Filter()));

    // Rows that have no list take no typing.
    CMenuRows plain;
    plain.Add(Measured(1, L"Restore"));
    EXPECT_FALSE(plain.TakesTyping(L'r') || plain.Type(L'r') || plain.Erase());
}

TEST(MenuRows, OnlyRowsThatAreNeitherGreyNorDisabledNorSeparatorsCanBeChosen)
{
    CMenuRows rows;
    rows.Add(Measured(1, L"Plain"));
    rows.Add(Measured(0, L"", MF_SEPARATOR));
    rows.Add(Measured(2, L"Grayed", MF_GRAYED));
    rows.Add(Measured(3, L"Disabled", MF_DISABLED));
    rows.Add(Measured(4, L"Checked", MF_CHECKED));
    rows.Add(Measured(5, L"Checked, grayed", MF_CHECKED | MF_GRAYED));
    rows.Add(Measured(0, L"", MF_SEPARATOR | MF_CHECKED));
    std::vector<bool> choosable, checked;
    for (int i = -1; i <= rows.ItemCount(); ++i)
        choosable.push_back(rows.CanChoose(i));
    for (int i = 0; i < rows.ItemCount(); ++i)
        checked.push_back(IsChecked(rows.Item(i)));
    EXPECT_EQ((std::vector<bool>{false, true, false, false, false, true, false, false, false}), choosable);
    EXPECT_EQ((std::vector<bool>{false, false, false, false, true, true, false}), checked);

    EXPECT_EQ(-1, rows.Hot());
    EXPECT_TRUE(rows.SetHot(4));
    EXPECT_FALSE(rows.SetHot(4)) << "no change, nothing to repaint";
    EXPECT_TRUE(rows.SetHot(99));
    EXPECT_FALSE(rows.CanChoose(rows.Hot()));
}

TEST(MenuRows, TheKeysMoveOverTheRowsAsShownAndPassTheTypedTextsRow)
{
    CMenuRows rows;
    rows.Add(Measured(150, L"Notepad"));
    rows.Add(Measured(151, L"Calculator"));
    rows.Add(Measured(152, L"Notes - Notepad", MF_GRAYED));
    rows.Add(Measured(153, L"Notepad 2"));
    rows.EndList();
    rows.Add(Measured(141, L"Exit"));
    rows.Open(kWork);
    TypeText(rows, L"pad");
    rows.Refilter(kWork);   // rows: filter, 0, 2, 3, 4

    std::vector<int> items;
    for (UINT vk : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_HOME}) {
        const MenuKeyResult r = rows.Key(vk);
        ASSERT_EQ(MenuKeyAction::Move, r.action) << vk;
        items.push_back(rows.ItemOfRow(r.nRow));
        rows.SetHot(items.back());
    }
    EXPECT_EQ((std::vector<int>{0, 3, 4, 0, 4, 0}), items);
    EXPECT_EQ(MenuKeyAction::Choose, rows.Key(VK_RETURN).action);
    EXPECT_EQ(MenuKeyAction::Close, rows.Key(VK_ESCAPE).action);
    rows.SetHot(1);   // filtered out
    EXPECT_EQ(MenuKeyAction::None, rows.Key(VK_RETURN).action);
    EXPECT_EQ(0, rows.ItemOfRow(rows.Key(VK_DOWN).nRow)) << "from a row not shown, the first";
}

namespace {

struct IconLog : CMenuIconSource {
    std::vector<UINT> asked, again;
    int batches = 0, open = 0;
    bool recall = false;   // every icon given is one recalled
    void BeginAsking() override { ++batches, ++open; }
    MenuIcon IconFor(UINT nID) override
    {
        EXPECT_EQ(1, open) << "asked outside a batch";
        asked.push_back(nID);
        return MenuIcon{reinterpret_cast<HICON>(static_cast<UINT_PTR>(nID)), recall};
    }
    HICON AskAgain(UINT nID) override
    {
        EXPECT_TRUE(recall) << "an icon not recalled was asked again";
        again.push_back(nID);
        return reinterpret_cast<HICON>(UINT_PTR{nID == 160 ? 1u : nID});
    }
    void EndAsking() override { --open; }
};

}  // namespace

TEST(MenuRows, AskTheIconsOfTheRowsThatComeIntoViewOnceEach)
{
    IconLog source;
    CMenuRows rows;
    rows.SetIconSource(&source);
    MainMenu(rows, 80);
    EXPECT_TRUE(source.asked.empty()) << "nothing is asked before the popup opens";

    rows.Open(kWork);
    ASSERT_EQ(34u, source.asked.size());
    EXPECT_EQ(150u, source.asked.front());
    EXPECT_EQ(150u + 33, source.asked.back());
    EXPECT_EQ(nullptr, rows.Item(40).hIcon);

    rows.ScrollBy(3);
    rows.ScrollBy(-3);
    EXPECT_EQ(37u, source.asked.size()) << "three rows came into view, and none twice";
    EXPECT_EQ(2, source.batches);
    for (UINT id : source.asked)
        EXPECT_GE(id, 150u) << "a fixed row, added without a source, was asked";
}

// A source that recalls every icon: the rows show them, and each is asked
// again once, in view or not.
TEST(MenuRows, AskAgainForEachRecalledIconOnce)
{
    IconLog source;
    source.recall = true;
    CMenuRows rows;
    rows.SetIconSource(&source);
    MainMenu(rows, 80);
    rows.Open(kWork);
    ASSERT_TRUE(rows.HasRecalled());
    EXPECT_EQ(reinterpret_cast<HICON>(UINT_PTR{160}), rows.Item(10).hIcon);
    rows.ScrollBy(20);
    EXPECT_TRUE(rows.AskAgain()) << "row 160 changed";
    EXPECT_EQ(54u, source.again.size()) << "the rows scrolled out of view are asked too";
    EXPECT_EQ(reinterpret_cast<HICON>(UINT_PTR{1}), rows.Item(10).hIcon);
    EXPECT_FALSE(rows.HasRecalled());
    EXPECT_FALSE(rows.AskAgain());
    EXPECT_EQ(54u, source.again.size()) << "asked twice";
}
