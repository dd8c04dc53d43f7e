// Every GDI object a paint or a measurement makes is gone by its end: no
// count grows over many full popups.
#include "tests/unit/menu/MenuTestKit.h"

using namespace menutest;

namespace {

std::string Describe(const test::GdiCounts& c)
{
    return "dcs " + std::to_string(c.dcs) + ", bitmaps " + std::to_string(c.bitmaps) + ", fonts " +
           std::to_string(c.fonts) + ", pens " + std::to_string(c.pens) + ", brushes " +
           std::to_string(c.brushes) + ", regions " + std::to_string(c.regions) + ", total " +
           std::to_string(c.total);
}

BOOL CALLBACK CountOne(HWND, LPARAM p)
{
    ++*reinterpret_cast<int*>(p);
    return TRUE;
}

int CountThreadWindows()
{
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountOne, reinterpret_cast<LPARAM>(&n));
    return n;
}

// One popup's whole life: create, fill, open, hover (a highlighted paint with
// an icon), then closed by a choice, by the caller, or by losing the focus.
void OneCycle(int i, test::MessageLog& owner, test::MessageLog& elsewhere, HICON icon)
{
    CMenuEx menu;
    menu.Create(owner.hwnd());
    menu.AddItem(0, 150, L"Untitled - Notepad", icon, FALSE);
    menu.AddSeparator();
    menu.AddItem(MF_GRAYED, 141, L"UnDock All", nullptr, FALSE);
    menu.AddItem(0, 149, L"Exit", icon, TRUE);
    TrackWith(menu, 500, 400, [&] {
        MoveTo(menu, 30, RowTop(menu, 0) + 3);
        UpdateWindow(menu.m_hWnd);
        MoveTo(menu, 30, RowTop(menu, 3) + 3);
        UpdateWindow(menu.m_hWnd);
        switch (i % 3) {
        case 0: ClickAt(menu, 30, RowTop(menu, 3) + 3); break;
        case 1: menu.Close(); break;
        default: SetFocus(elsewhere.hwnd()); break;
        }
    });
    menu.Close();
    test::Flush();
    owner.clear();
}

}  // namespace

TEST(GdiCount, SeesObjectsAsTheyAreMadeAndFreed)
{
    const test::GdiCounts before = test::CountGdiObjects();
    ASSERT_GT(before.total, 0) << "the handle table could not be read";
    HPEN pen = CreatePen(PS_SOLID, 1, 0x123456);
    HBRUSH brush = CreateSolidBrush(0x654321);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    LOGFONTA lf{};
    lf.lfHeight = 11;
    HFONT font = CreateFontIndirectA(&lf);
    HRGN region = CreateRectRgn(0, 0, 5, 5);
    const test::GdiCounts during = test::CountGdiObjects();
    EXPECT_EQ(before.pens + 1, during.pens);
    EXPECT_EQ(before.brushes + 1, during.brushes);
    EXPECT_EQ(before.dcs + 1, during.dcs);
    EXPECT_EQ(before.bitmaps + 1, during.bitmaps);
    EXPECT_EQ(before.fonts + 1, during.fonts);
    EXPECT_EQ(before.regions + 1, during.regions);
    EXPECT_EQ(before.total + 6, during.total);
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(font);
    DeleteObject(region);
    const test::GdiCounts after = test::CountGdiObjects();
    EXPECT_EQ(before.total, after.total) << Describe(after);
}

TEST(MenuResources, NoGdiObjectGrowsOverAThousandPopups)
{
    ParkCursor();
    test::MessageLog owner("owner");
    test::MessageLog elsewhere("elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    // The first popups fill the system's caches (classes, DCs, glyphs).
    for (int i = 0; i < 6; ++i)
        OneCycle(i, owner, elsewhere, icon);
    const test::GdiCounts before = test::CountGdiObjects();
    const int windowsBefore = CountThreadWindows();

    for (int i = 0; i < 1000; ++i)
        OneCycle(i, owner, elsewhere, icon);

    const test::GdiCounts after = test::CountGdiObjects();
    SCOPED_TRACE("before: " + Describe(before) + "\nafter:  " + Describe(after));
    EXPECT_LE(after.dcs, before.dcs);
    EXPECT_LE(after.bitmaps, before.bitmaps);
    EXPECT_LE(after.fonts, before.fonts);
    EXPECT_LE(after.pens, before.pens);
    EXPECT_LE(after.brushes, before.brushes);
    EXPECT_LE(after.regions, before.regions);
    EXPECT_LE(after.total, before.total);
    EXPECT_EQ(windowsBefore, CountThreadWindows());
}
