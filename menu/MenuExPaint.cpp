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
// ever erased, so a change of the hot item does not flicker.
void CMenuEx::Paint(HDC dc)
{
    CMemoryDC mem(dc);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(dc, m_nWidth, m_nHeight);
    CSelectObject selectBitmap(mem, bitmap);

    FillSolidRect(mem, 0, 0, m_nWidth, m_nHeight, kBackground);

    int y = kTopMargin;
    for (int i = 0; i < m_arrItems.GetSize(); ++i) {
        const MenuExItem& item = *m_arrItems[i];
        COLORREF rowColor = kBackground;

        if (item.nFlags & MF_SEPARATOR) {
            CPen pen(PS_SOLID, 1, kSeparator);
            CSelectObject selectPen(mem, pen);
            MoveToEx(mem, kSeparatorInset, y + 2, nullptr);
            LineTo(mem, m_nWidth - kSeparatorInset, y + 2);
        } else if (i == m_nHotItem) {
            // The menu-wide text height, not the item's own, sizes the
            // highlight; the frame reaches one row below the fill.
            FillSolidRect(mem, 0, y - 2, m_nWidth - kHotRightGap, m_nTextHeight + 5, kHotFill);
            rowColor = kHotFill;
            Draw3dRect(mem, 0, y - 2, m_nWidth - kHotRightGap, m_nTextHeight + 6, kHotFrame, kHotFrame);
        }

        if (item.hIcon)
            DrawIconAt(mem, item.hIcon, y, rowColor);

        if (item.szText[0]) {
            CSelectObject selectFont(mem, item.bBold ? m_fontBold.GetSafeHandle() : m_fontNormal.GetSafeHandle());
            // Only MF_GRAYED greys the text; MF_DISABLED alone looks normal.
            SetTextColor(mem, (item.nFlags & MF_GRAYED) ? kGrayText : kText);
            SetBkMode(mem, TRANSPARENT);
            TextOutA(mem, kTextLeft, y, item.szText, lstrlenA(item.szText));
        }

        y += item.nHeight + kRowGap;
    }

    BitBlt(dc, 0, 0, m_nWidth, m_nHeight, mem, 0, 0, SRCCOPY);
}

// DrawIcon only draws at the system's icon size: render there on the row's
// colour, then shrink to half into place.
void CMenuEx::DrawIconAt(HDC dc, HICON hIcon, int y, COLORREF rowColor) const
{
    CMemoryDC iconDC(dc);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(dc, kIconSource, kIconSource);
    CSelectObject selectBitmap(iconDC, bitmap);
    FillSolidRect(iconDC, 0, 0, kIconSource, kIconSource, rowColor);
    DrawIcon(iconDC, 0, 0, hIcon);
    StretchBlt(dc, kIconLeft, y, kIconShown, kIconShown, iconDC, 0, 0, kIconSource, kIconSource, SRCCOPY);
}
