#include "menu/MenuEx.h"

namespace {

constexpr COLORREF kBackground = 0xFFFFFF;
constexpr COLORREF kSeparator = 0xBBBBBB;
constexpr COLORREF kGrayText = 0xBBBBBB;
constexpr COLORREF kText = 0x000000;
constexpr COLORREF kHotFill = 0xE5CFC2;
constexpr COLORREF kHotFrame = 0xA85E33;

constexpr int kTopMargin = 5;
constexpr int kRowGap = 5;
constexpr int kTextLeft = 21;
constexpr int kSeparatorInset = 21;
constexpr int kHotRightGap = 7;
constexpr int kIconLeft = 2;
constexpr int kIconSource = 32;   // the size DrawIcon renders at
constexpr int kIconShown = 16;

}  // namespace

void CMenuEx::OnPaint()
{
    CPaintDC dc(m_hWnd);
    Paint(dc);
}

// Everything is drawn off screen and copied in one block, and nothing is
// ever erased, so a change of the hot item does not flicker. Only the part
// the DC lets through is drawn: a menu of hundreds of windows is far taller
// than the screen, and the rows below it need no pixels.
void CMenuEx::Paint(HDC dc)
{
    RECT clip{0, 0, m_nWidth, m_nHeight};
    RECT box;
    if (GetClipBox(dc, &box) != ERROR && !IntersectRect(&clip, &clip, &box))
        return;
    const int cx = clip.right - clip.left;
    const int cy = clip.bottom - clip.top;

    CMemoryDC mem(dc);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(dc, cx, cy);
    CSelectObject selectBitmap(mem, bitmap);
    // Menu coordinates throughout; the bitmap holds the clip box only.
    SetViewportOrgEx(mem, -clip.left, -clip.top, nullptr);

    FillSolidRect(mem, clip.left, clip.top, cx, cy, kBackground);
    SetBkMode(mem, TRANSPARENT);

    // One surface for all the icons of this paint.
    CMemoryDC iconDC(dc);
    CBitmap iconBitmap;
    iconBitmap.CreateCompatibleBitmap(dc, kIconSource, kIconSource);
    CSelectObject selectIcon(iconDC, iconBitmap);

    int y = kTopMargin;
    for (int i = 0; i < m_arrItems.GetSize(); ++i) {
        const MenuExItem& item = *m_arrItems[i];
        const int top = y;
        y += item.nHeight + kRowGap;
        // What a row draws: the highlight from two pixels above its text to
        // one below the gap, the icon, the text.
        const int reach = (item.nHeight > m_nTextHeight ? item.nHeight : m_nTextHeight) + kRowGap + 2;
        if (top + reach <= clip.top)
            continue;
        if (top - 2 >= clip.bottom)
            break;
        COLORREF rowColor = kBackground;

        if (item.nFlags & MF_SEPARATOR) {
            CPen pen(PS_SOLID, 1, kSeparator);
            CSelectObject selectPen(mem, pen);
            MoveToEx(mem, kSeparatorInset, top + 2, nullptr);
            LineTo(mem, m_nWidth - kSeparatorInset, top + 2);
        } else if (i == m_nHotItem) {
            // The menu-wide text height, not the item's own, sizes the
            // highlight; the frame reaches one row below the fill.
            FillSolidRect(mem, 0, top - 2, m_nWidth - kHotRightGap, m_nTextHeight + 5, kHotFill);
            rowColor = kHotFill;
            Draw3dRect(mem, 0, top - 2, m_nWidth - kHotRightGap, m_nTextHeight + 6, kHotFrame, kHotFrame);
        }

        if (item.hIcon)
            DrawIconAt(mem, iconDC, item.hIcon, top, rowColor);

        if (item.szText[0]) {
            CSelectObject selectFont(mem, item.bBold ? m_fontBold.GetSafeHandle() : m_fontNormal.GetSafeHandle());
            // Only MF_GRAYED greys the text; MF_DISABLED alone looks normal.
            SetTextColor(mem, (item.nFlags & MF_GRAYED) ? kGrayText : kText);
            TextOutW(mem, kTextLeft, top, item.szText, lstrlenW(item.szText));
        }
    }

    BitBlt(dc, clip.left, clip.top, cx, cy, mem, clip.left, clip.top, SRCCOPY);
}

// DrawIcon only draws at the system's icon size: render there on the row's
// colour, then shrink to half into place.
void CMenuEx::DrawIconAt(HDC dc, HDC iconDC, HICON hIcon, int y, COLORREF rowColor) const
{
    FillSolidRect(iconDC, 0, 0, kIconSource, kIconSource, rowColor);
    DrawIcon(iconDC, 0, 0, hIcon);
    StretchBlt(dc, kIconLeft, y, kIconShown, kIconShown, iconDC, 0, 0, kIconSource, kIconSource, SRCCOPY);
}
