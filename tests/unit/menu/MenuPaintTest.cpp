// What the popup paints: rendered through WM_PRINTCLIENT into a 24-bit
// memory DC, and checked once against the screen after a real WM_PAINT.
#include "tests/unit/menu/MenuTestKit.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <tuple>

using namespace menutest;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kLine = 0xBBBBBB;
constexpr COLORREF kFill = 0xE5CFC2;
constexpr COLORREF kFrame = 0xA85E33;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A 32 x 32 icon: top-left quadrant red, top-right blue, bottom half
// transparent, so that its 16 x 16 rendering shows both its place and the
// row colour behind it.
class TestIcon {
public:
    explicit TestIcon(COLORREF left = kRed, COLORREF right = kBlue)
    {
        HDC screen = GetDC(nullptr);
        HBITMAP color = CreateCompatibleBitmap(screen, 32, 32);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, color);
        FillSolidRect(dc, 0, 0, 32, 32, 0);
        FillSolidRect(dc, 0, 0, 16, 16, left);
        FillSolidRect(dc, 16, 0, 16, 16, right);
        SelectObject(dc, old);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        BYTE maskBits[32 * 4];
        for (int row = 0; row < 32; ++row)
            for (int b = 0; b < 4; ++b)
                maskBits[row * 4 + b] = row < 16 ? 0x00 : 0xFF;   // 1 = transparent
        HBITMAP mask = CreateBitmap(32, 32, 1, 1, maskBits);
        ICONINFO ii{TRUE, 0, 0, mask, color};
        m_icon = CreateIconIndirect(&ii);
        DeleteObject(mask);
        DeleteObject(color);
    }
    ~TestIcon() { DestroyIcon(m_icon); }
    operator HICON() const { return m_icon; }

private:
    HICON m_icon;
};

bool IsInk(COLORREF c, COLORREF background) { return c != background; }
bool DarkerThanGrey(COLORREF c)
{
    return GetRValue(c) < 0xBB || GetGValue(c) < 0xBB || GetBValue(c) < 0xBB;
}

struct TextStats {
    int black = 0, grey = 0, darkerThanGrey = 0, ink = 0;
    int minX = 1 << 30, minY = 1 << 30;
};

TextStats Scan(const test::Canvas& c, int left, int top, int right, int bottom, COLORREF background)
{
    TextStats s;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const COLORREF p = c.at(x, y);
            s.black += p == 0;
            s.grey += p == kLine;
            s.darkerThanGrey += DarkerThanGrey(p);
            if (IsInk(p, background)) {
                ++s.ink;
                s.minX = std::min(s.minX, x);
                s.minY = std::min(s.minY, y);
            }
        }
    return s;
}

bool AllOf(const test::Canvas& c, int left, int top, int right, int bottom, COLORREF color)
{
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (c.at(x, y) != color)
                return false;
    return true;
}

// Opens the menu at (600, 500) and renders it with item nHot highlighted.
std::unique_ptr<test::Canvas> Rendered(RecordingMenu& menu, int nHot)
{
    std::unique_ptr<test::Canvas> c;
    TrackWith(menu, 600, 500, [&] {
        KillTimer(menu.m_hWnd, IDT_HOVER);   // the hot item is set by hand
        menu.rows().SetHot(nHot);
        c = std::make_unique<test::Canvas>(menu.Rows().Width(), menu.Rows().Height());
        SendMessageA(menu.m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(c->dc()), PRF_CLIENT);
        menu.Close();
    });
    return c;
}

// Items: 0 "Normal" with the icon, 1 separator, 2 grayed, 3 disabled only,
// 4 bold.
struct PaintedMenu {
    TestIcon icon;
    RecordingMenu menu;
    std::unique_ptr<test::Canvas> plain, hot0, hotSeparator, hot2Tall, screen, first;
    int clientW = 0, clientH = 0;

    std::unique_ptr<test::Canvas> Render(int hot)
    {
        menu.rows().SetHot(hot);
        auto c = std::make_unique<test::Canvas>(menu.Rows().Width(), menu.Rows().Height());
        SendMessageA(menu.m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(c->dc()), PRF_CLIENT);
        return c;
    }

    PaintedMenu()
    {
        ParkCursor();
        menu.Create(nullptr);
        menu.AddItem(0, 1, L"Normal", icon, FALSE);
        menu.AddSeparator();
        menu.AddItem(MF_GRAYED, 2, L"Grayed", nullptr, FALSE);
        menu.AddItem(MF_DISABLED, 3, L"Disabled", nullptr, FALSE);
        menu.AddItem(0, 4, L"Bold", nullptr, TRUE);
        TrackWith(menu, 600, 500, [&] {
            KillTimer(menu.m_hWnd, IDT_HOVER);   // the hot item is set by hand here
            // What the first paint left in the window, read from it before
            // anything else draws there.
            RECT client{};
            GetClientRect(menu.m_hWnd, &client);
            first = std::make_unique<test::Canvas>(client.right, client.bottom);
            HDC window = GetDC(menu.m_hWnd);
            BitBlt(first->dc(), 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
            ReleaseDC(menu.m_hWnd, window);
            plain = Render(-1);
            hotSeparator = Render(1);
            const int textHeight = menu.Rows().TextHeight();
            menu.rows().SetTextHeight(20);
            hot2Tall = Render(2);
            menu.rows().SetTextHeight(textHeight);
            hot0 = Render(0);

            // The real WM_PAINT, read back from the screen.
            InvalidateRect(menu.m_hWnd, nullptr, FALSE);
            UpdateWindow(menu.m_hWnd);
            RECT rc{};
            GetClientRect(menu.m_hWnd, &rc);
            clientW = rc.right;
            clientH = rc.bottom;
            POINT origin{0, 0};
            ClientToScreen(menu.m_hWnd, &origin);
            screen = std::make_unique<test::Canvas>(clientW, clientH);
            test::PumpUntil([&] {
                HDC dc = GetDC(nullptr);
                BitBlt(screen->dc(), 0, 0, clientW, clientH, dc, origin.x, origin.y, SRCCOPY);
                ReleaseDC(nullptr, dc);
                return AllOf(*screen, 0, 0, 1, 1, kWhite) && screen->at(30, RowTop(menu, 0) - 2) == kFrame;
            }, 3000);
            menu.Close();
        });
    }
};

}  // namespace

TEST(MenuPaint, BackgroundSeparatorAndTextColours)
{
    PaintedMenu p;
    const CMenuEx& m = p.menu;
    ASSERT_TRUE(p.plain);
    const test::Canvas& c = *p.plain;
    const int w = m.Rows().Width();

    EXPECT_TRUE(AllOf(c, 0, 0, w, 5, kWhite)) << "top margin";
    EXPECT_TRUE(AllOf(c, 0, m.Rows().Height() - 5, w, m.Rows().Height(), kWhite)) << "bottom margin";

    // The separator: one pixel high at y + 2, from x 21 up to, not
    // including, width - 21.
    const int ls = RowTop(m, 1) + 2;
    EXPECT_EQ(kLine, c.at(21, ls));
    EXPECT_EQ(kLine, c.at(w - 22, ls));
    EXPECT_EQ(kWhite, c.at(20, ls));
    EXPECT_EQ(kWhite, c.at(w - 21, ls));
    EXPECT_TRUE(AllOf(c, 21, ls - 1, w - 21, ls, kWhite));
    EXPECT_TRUE(AllOf(c, 21, ls + 1, w - 21, ls + 2, kWhite));

    // Grey for MF_GRAYED only; MF_DISABLED and bold items are black.
    auto textOf = [&](int i) {
        const int top = RowTop(m, i);
        return Scan(c, 21, top, 21 + m.Rows().Item(i).nTextWidth + 1, top + m.Rows().Item(i).nHeight, kWhite);
    };
    const TextStats normal = textOf(0), grayed = textOf(2), disabled = textOf(3), bold = textOf(4);
    EXPECT_GT(normal.black, 0);
    EXPECT_GT(grayed.grey, 0);
    EXPECT_EQ(0, grayed.darkerThanGrey) << "grayed text has pixels darker than its grey";
    EXPECT_GT(disabled.black, 0);
    EXPECT_EQ(0, disabled.grey) << "disabled-only text must not be grey";
    EXPECT_GT(bold.black, 0);

    // Text from its top-left corner at (21, y), nothing left of it.
    for (int i : {2, 3, 4}) {
        const int top = RowTop(m, i);
        const TextStats t = textOf(i);
        EXPECT_GE(t.minX, 21) << "item " << i;
        EXPECT_LE(t.minX, 23) << "item " << i;
        EXPECT_GE(t.minY, top) << "item " << i;
        EXPECT_LE(t.minY, top + 4) << "item " << i;
        EXPECT_TRUE(AllOf(c, 0, top, 21, top + m.Rows().Item(i).nHeight + 5, kWhite)) << "left of item " << i;
    }
}

TEST(MenuPaint, IconsAreHalfSizeAtTwoOnTheRowColour)
{
    PaintedMenu p;
    const CMenuEx& m = p.menu;
    ASSERT_TRUE(p.plain && p.hot0);
    for (const auto& [canvas, background] : {std::pair{p.plain.get(), kWhite}, std::pair{p.hot0.get(), kFill}}) {
        const test::Canvas& c = *canvas;
        const int y = RowTop(m, 0);
        SCOPED_TRACE(background == kWhite ? "plain" : "hot");
        EXPECT_TRUE(AllOf(c, 2, y, 10, y + 8, kRed));
        EXPECT_TRUE(AllOf(c, 10, y, 18, y + 8, kBlue));
        EXPECT_TRUE(AllOf(c, 2, y + 8, 18, y + 16, background)) << "transparent half on the row colour";
        EXPECT_TRUE(AllOf(c, 1, y, 2, y + 16, background)) << "left of the icon";
        EXPECT_TRUE(AllOf(c, 18, y, 21, y + 16, background)) << "right of the icon";
    }
}

// A long list shows one icon on most rows; each row still shows its own,
// on its own colour, whichever icon and colour the row before it had.
TEST(MenuPaint, RowsThatShareAnIconEachShowItOnTheirOwnColour)
{
    TestIcon shared, other(kBlue, kRed);
    RecordingMenu menu;
    ParkCursor();
    ASSERT_TRUE(menu.Create(nullptr));
    const HICON icons[] = {shared, shared, shared, shared, other, shared, nullptr, shared};
    for (int i = 0; i < 8; ++i)
        menu.AddItem(0, 1 + i, (L"Row " + std::to_wstring(i)).c_str(), icons[i], FALSE);
    const std::unique_ptr<test::Canvas> c = Rendered(menu, 2);
    ASSERT_TRUE(c);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const int y = RowTop(menu, i);
        const COLORREF background = i == 2 ? kFill : kWhite;
        const COLORREF left = icons[i] == other ? kBlue : kRed, right = icons[i] == other ? kRed : kBlue;
        if (!icons[i]) {
            EXPECT_TRUE(AllOf(*c, 2, y, 18, y + 16, background));
            continue;
        }
        EXPECT_TRUE(AllOf(*c, 2, y, 10, y + 8, left));
        EXPECT_TRUE(AllOf(*c, 10, y, 18, y + 8, right));
        EXPECT_TRUE(AllOf(*c, 2, y + 8, 18, y + 16, background));
    }
}

// A row that is on shows a tick where rows show their icons, in the colour
// of its text: black, grey when it is grayed, black on the highlight.
TEST(MenuPaint, ACheckedRowShowsATickInTheIconsPlaceInItsTextsColour)
{
    TestIcon icon;
    RecordingMenu menu;
    ParkCursor();
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddItem(MF_CHECKED, 1, L"On", icon, FALSE);
    menu.AddItem(MF_CHECKED | MF_GRAYED, 2, L"On, grayed", nullptr, FALSE);
    menu.AddItem(0, 3, L"Off", nullptr, FALSE);
    menu.AddItem(MF_CHECKED, 4, L"On, highlighted", nullptr, FALSE);
    const std::unique_ptr<test::Canvas> c = Rendered(menu, 3);
    ASSERT_TRUE(c);
    // Each row's square: the tick's pixels, and whether all others are the
    // row's background.
    struct Square {
        std::vector<POINT> ink;
        bool clean = true;
    };
    auto square = [&](int i, COLORREF background, COLORREF ink) {
        Square s;
        const int y = RowTop(menu, i);
        for (int yy = y; yy < y + 16; ++yy)
            for (int x = 2; x < 18; ++x) {
                const COLORREF p = c->at(x, yy);
                if (p == ink)
                    s.ink.push_back(POINT{x - 2, yy - y});
                else if (p != background)
                    s.clean = false;
            }
        return s;
    };
    const Square on = square(0, kWhite, 0), grayed = square(1, kWhite, kLine), off = square(2, kWhite, 0),
                 hot = square(3, kFill, 0);
    EXPECT_GE(on.ink.size(), 16u) << "a tick, not the icon";
    EXPECT_TRUE(on.clean && grayed.clean && hot.clean);
    EXPECT_TRUE(off.ink.empty() && off.clean);
    auto same = [&](const Square& s) {
        if (s.ink.size() != on.ink.size())
            return false;
        for (size_t k = 0; k < s.ink.size(); ++k)
            if (s.ink[k].x != on.ink[k].x || s.ink[k].y != on.ink[k].y)
                return false;
        return true;
    };
    EXPECT_TRUE(same(grayed)) << "the grayed row's tick differs";
    EXPECT_TRUE(same(hot)) << "the highlighted row's tick differs";
}

TEST(MenuPaint, AnIconWithoutTextShowsOnlyTheIcon)
{
    // An empty text measures 0 high here, so the icon reaches into the next
    // row; that row's text starts right of it.
    TestIcon icon;
    RecordingMenu menu;
    ParkCursor();
    ASSERT_TRUE(menu.Create(nullptr));
    menu.AddItem(0, 1, L"", icon, FALSE);
    menu.AddItem(0, 2, L"Next", nullptr, FALSE);
    const std::unique_ptr<test::Canvas> c = Rendered(menu, -1);
    ASSERT_TRUE(c);
    const int y = RowTop(menu, 0), rowEnd = RowTop(menu, 1);
    EXPECT_TRUE(AllOf(*c, 2, y, 10, y + 8, kRed));
    EXPECT_TRUE(AllOf(*c, 10, y, 18, y + 8, kBlue));
    EXPECT_TRUE(AllOf(*c, 18, y, menu.Rows().Width(), rowEnd, kWhite)) << "no text in the icon's row";
    EXPECT_GT(Scan(*c, 21, rowEnd, 21 + menu.Rows().Item(1).nTextWidth + 1, rowEnd + 13, kWhite).black, 0);
}

TEST(MenuPaint, TheHotItemGetsTheFillAndAOnePixelFrameOneRowTaller)
{
    PaintedMenu p;
    const CMenuEx& m = p.menu;
    ASSERT_TRUE(p.hot0 && p.plain);
    const test::Canvas& c = *p.hot0;
    const int w = m.Rows().Width(), y = RowTop(m, 0), th = m.Rows().TextHeight();
    const int top = y - 2, bottom = y - 2 + th + 5;   // frame rows top and bottom

    EXPECT_TRUE(AllOf(c, 0, top, w - 7, top + 1, kFrame)) << "top side";
    EXPECT_TRUE(AllOf(c, 0, bottom, w - 7, bottom + 1, kFrame)) << "bottom side, below the fill";
    EXPECT_TRUE(AllOf(c, 0, top, 1, bottom + 1, kFrame)) << "left side";
    EXPECT_TRUE(AllOf(c, w - 8, top, w - 7, bottom + 1, kFrame)) << "right side";
    EXPECT_TRUE(AllOf(c, w - 7, 0, w, m.Rows().Height(), kWhite)) << "right of the highlight";
    EXPECT_TRUE(AllOf(c, 0, 0, w, top, kWhite)) << "above the frame";
    EXPECT_TRUE(AllOf(c, 0, bottom + 1, 21, RowTop(m, 2), kWhite)) << "below the frame";
    // Fill everywhere inside the frame but the icon and the text ink.
    EXPECT_TRUE(AllOf(c, 1, top + 1, 2, bottom, kFill));
    EXPECT_TRUE(AllOf(c, 21 + m.Rows().Item(0).nTextWidth + 2, top + 1, w - 8, bottom, kFill));
    const TextStats text = Scan(c, 21, y, 21 + m.Rows().Item(0).nTextWidth + 1, y + th, kFill);
    EXPECT_GT(text.black, 0) << "text drawn transparently over the fill";
    EXPECT_EQ(0, Scan(c, 21, y, 21 + m.Rows().Item(0).nTextWidth + 1, y + th, kFill).grey);

    // The height follows the menu-wide text height, and a grayed item is
    // highlighted like any other, its text still grey.
    ASSERT_TRUE(p.hot2Tall);
    const test::Canvas& t = *p.hot2Tall;
    const int y2 = RowTop(m, 2);
    EXPECT_TRUE(AllOf(t, 0, y2 - 2, w - 7, y2 - 1, kFrame));
    // The next row's text is drawn over the lower part; left of it the
    // frame's bottom side is 25 rows below its top.
    EXPECT_TRUE(AllOf(t, 0, y2 + 23, 21, y2 + 24, kFrame));
    EXPECT_TRUE(AllOf(t, w - 8, y2 - 2, w - 7, y2 + 24, kFrame));
    EXPECT_TRUE(AllOf(t, 1, y2 - 1, 21, y2 + 23, kFill));
    EXPECT_GT(Scan(t, 21, y2, 21 + m.Rows().Item(2).nTextWidth + 1, y2 + 13, kFill).grey, 0);

    // A hot separator is drawn exactly as when nothing is hot.
    ASSERT_TRUE(p.hotSeparator);
    EXPECT_TRUE([&] {
        for (int yy = 0; yy < m.Rows().Height(); ++yy)
            for (int x = 0; x < w; ++x)
                if (p.hotSeparator->at(x, yy) != p.plain->at(x, yy))
                    return false;
        return true;
    }());
}

TEST(MenuPaint, WmPaintShowsTheSamePictureOnTheScreen)
{
    PaintedMenu p;
    ASSERT_TRUE(p.screen && p.hot0 && p.first && p.plain);
    // The client area is the window less its dialog frame: a strip of the
    // bitmap on the right and bottom is never seen.
    EXPECT_LT(p.clientW, p.menu.Rows().Width());
    EXPECT_LT(p.clientH, p.menu.Rows().Height());
    auto differing = [&](const test::Canvas& shown, const test::Canvas& rendered) {
        int n = 0;
        for (int y = 0; y < p.clientH; ++y)
            for (int x = 0; x < p.clientW; ++x)
                n += shown.at(x, y) != rendered.at(x, y);
        return n;
    };
    EXPECT_EQ(0, differing(*p.screen, *p.hot0)) << "of " << p.clientW * p.clientH << " client pixels";
    // The first paint after the popup is shown draws straight into the
    // window; the picture is the same.
    EXPECT_EQ(0, differing(*p.first, *p.plain)) << "in the first paint";
}

// A menu of hundreds of windows is far taller than the screen, and only the
// part the DC lets through is painted. That part must be exactly what a full
// paint gives there, also where a highlight straddles its edge, and nothing
// outside it may change.
TEST(MenuPaint, AClippedPaintMatchesTheFullPictureInsideAndTouchesNothingOutside)
{
    TestIcon icon;
    RecordingMenu menu;
    menu.Create(nullptr);
    for (int i = 0; i < 300; ++i) {
        if (i % 7 == 3)
            menu.AddSeparator();
        else
            menu.AddItem(i % 5 == 1 ? MF_GRAYED : 0, 150 + i, (L"Window " + std::to_wstring(i)).c_str(),
                         i % 2 ? static_cast<HICON>(icon) : nullptr, i % 11 == 0);
    }
    // The sizes Track would give it, without showing a window this tall.
    menu.rows().Open(INT_MAX);
    const int w = menu.Rows().Width(), h = menu.Rows().Height();
    ASSERT_GT(h, 3000);

    test::Canvas full(w, h);
    // A band from the middle, its top edge through the hot row's text. And
    // the left of a band whose top edge runs through a highlighted row with
    // no icon, between two rows that show the same icon: the highlight
    // reaches right of the clip box, and the row after it must still show
    // its icon.
    const int hotTop = RowTop(menu, 151);
    // Each band holds real content at its probe: the highlight's frame below
    // the text, the icon of the row below the highlight.
    const int top152 = RowTop(menu, 152);
    const struct Case {
        int hot;
        RECT clip;
        POINT probe;
        COLORREF probeColor;
    } cases[] = {{151, {0, hotTop + 3, w, hotTop + 403}, {w / 2, hotTop + menu.Rows().TextHeight() + 3}, kFrame},
                 {152, {0, top152 - 2, 40, top152 + 398}, {4, RowTop(menu, 153) + 2}, kRed}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.hot);
        menu.rows().SetHot(k.hot);
        menu.Paint(full.dc());
        test::Canvas band(w, h);
        IntersectClipRect(band.dc(), k.clip.left, k.clip.top, k.clip.right, k.clip.bottom);
        menu.Paint(band.dc());
        SelectClipRgn(band.dc(), nullptr);

        int wrongInside = 0, touchedOutside = 0;
        for (int y = 0; y < h; y += (y < k.clip.top - 40 || y > k.clip.bottom + 40) ? 37 : 1)
            for (int x = 0; x < w; ++x) {
                const POINT pt{x, y};
                if (PtInRect(&k.clip, pt))
                    wrongInside += band.at(x, y) != full.at(x, y);
                else
                    touchedOutside += band.at(x, y) != RGB(0x12, 0x34, 0x56);
            }
        EXPECT_EQ(0, wrongInside);
        EXPECT_EQ(0, touchedOutside);
        EXPECT_EQ(k.probeColor, band.at(k.probe.x, k.probe.y));
    }
    menu.Close();
}

// A list that scrolls shows its ends in its strips' arrows (black: more that
// way, grey: its end), the fixed rows below; a typed filter shows in its row
// (a glass, black text), and nothing matching in grey.
TEST(MenuPaint, TheStripsTheFixedRowsAndATypedFilter)
{
    ParkCursor();
    CMenuEx menu;
    ASSERT_TRUE(menu.Create(nullptr));
    FillMainMenu(menu, 80);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    std::vector<std::unique_ptr<test::Canvas>> shots;
    int below = -1;
    TrackWith(menu, work.right - 40, work.bottom - 1, [&] {
        KillTimer(menu.m_hWnd, IDT_HOVER);
        below = menu.Rows().RowTop(80) - 12;
        for (int k = 0; k < 4; ++k) {
            if (k == 1)
                Key(menu, VK_UP), Key(menu, VK_UP), Key(menu, VK_UP), Key(menu, VK_UP), Key(menu, VK_UP);
            if (k > 1)
                Type(menu, k == 2 ? L"dow 42" : L"x");
            shots.push_back(std::make_unique<test::Canvas>(menu.Rows().Width(), menu.Rows().Height()));
            SendMessageA(menu.m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shots.back()->dc()), PRF_CLIENT);
        }
        menu.Close();
    });
    ASSERT_EQ(4u, shots.size());
    const int w = menu.Rows().Width();
    auto arrow = [&](const test::Canvas& c, int y) {
        for (int yy = y; yy < y + 12; ++yy)
            for (int x = 0; x < w; ++x)
                if (c.at(x, yy) != kWhite)
                    return c.at(x, yy);
        return kWhite;
    };
    EXPECT_EQ((std::vector<COLORREF>{kLine, 0, 0, kLine}),
              (std::vector<COLORREF>{arrow(*shots[0], 5), arrow(*shots[0], below), arrow(*shots[1], 5), arrow(*shots[1], below)}));
    EXPECT_TRUE(AllOf(*shots[1], 1, below - 4, 21, below - 2, kFill)) << "the last window, just above the strip";
    const int exitTop = menu.Rows().Height() - 5 - 18;
    EXPECT_GT(Scan(*shots[0], 21, exitTop, 60, exitTop + 13, kWhite).black, 0) << "Exit at the foot";
    EXPECT_GT(Scan(*shots[2], 2, 5, 18, 5 + 16, kWhite).black, 0) << "the glass";
    EXPECT_LE(Scan(*shots[2], 21, 5, w - 21, 5 + 13, kWhite).minX, 23);
    const TextStats grey = Scan(*shots[3], 21, 5 + 18, w - 21, 5 + 18 + 13, kWhite);
    EXPECT_GT(grey.grey, 0);
    EXPECT_EQ(0, grey.darkerThanGrey);
}
