#include "menu/MenuEx.h"

#include "menu/MenuText.h"

namespace {

constexpr COLORREF kBackground = 0xFFFFFF;
constexpr COLORREF kSeparator = 0xBBBBBB;
constexpr COLORREF kGrayText = 0xBBBBBB;
constexpr COLORREF kText = 0x000000;
constexpr COLORREF kHotFill = 0xE5CFC2;
constexpr COLORREF kHotFrame = 0xA85E33;

const WCHAR kNoMatch[] = L"Nothing matches";

// A frame nLine pixels wide on the outermost pixels of the rectangle.
void FrameBox(HDC dc, int x, int y, int cx, int cy, int nLine, COLORREF color)
{
    for (int k = 0; k < nLine; ++k)
        Draw3dRect(dc, x + k, y + k, cx - 2 * k, cy - 2 * k, color, color);
}

}  // namespace

void CMenuEx::OnPaint()
{
    CPaintDC dc(m_hWnd);
    // Nothing of this popup is on the screen before its first paint, so that
    // one cannot flicker: it is drawn straight into the window, which spares
    // a bitmap of the whole popup and the copy of it.
    const bool bFirst = m_bUnpainted;
    m_bUnpainted = false;
    Render(dc, !bFirst);
    // Recalled icons are on the screen now; the questions that confirm them
    // wait for the input and the paints already queued.
    if (m_rows.HasRecalled() && !m_bRecallTimer)
        m_bRecallTimer = SetTimer(IDT_RECALLED, USER_TIMER_MINIMUM) != 0;
}

void CMenuEx::Paint(HDC dc)
{
    Render(dc, true);
}

// Off screen, everything is drawn into a bitmap and copied in one block, and
// nothing is ever erased, so a change of the hot item does not flicker. Only
// the part the DC lets through is drawn.
void CMenuEx::Render(HDC dc, bool bOffScreen)
{
    RECT clip{0, 0, m_rows.Width(), m_rows.Height()};
    RECT box;
    if (GetClipBox(dc, &box) != ERROR && !IntersectRect(&clip, &clip, &box))
        return;

    // The icons' working square has a bitmap of its own, where no row can
    // draw over what it keeps for the next row. Bitmaps and memory DCs that
    // owe nothing to the window's DC are made without asking the display.
    const int iconSize = m_rows.Metrics().nIconSize;
    CMemoryDC scratch(nullptr);
    CBitmap square;
    square.CreateDIB32(3 * iconSize, 2 * iconSize);
    CSelectObject selectSquare(scratch, square);
    IconSurface icons{square.GetSafeHandle() ? scratch.GetSafeHdc() : nullptr, nullptr, 0};

    if (bOffScreen) {
        const int cx = clip.right - clip.left;
        const int cy = clip.bottom - clip.top;
        CMemoryDC mem(nullptr);
        CBitmap bitmap;
        if (mem.GetSafeHdc() && bitmap.CreateDIB32(cx, cy)) {
            CSelectObject selectBitmap(mem, bitmap);
            // Menu coordinates throughout.
            SetViewportOrgEx(mem, -clip.left, -clip.top, nullptr);
            DrawRows(mem, clip, icons);
            BitBlt(dc, clip.left, clip.top, cx, cy, mem, clip.left, clip.top, SRCCOPY);
            return;
        }
    }
    // Straight into the target: the first paint, or one that found no
    // memory for a bitmap of the popup.
    DrawRows(dc, clip, icons);
}

// The background and every row that reaches into the clip box.
void CMenuEx::DrawRows(HDC dc, const RECT& clip, IconSurface& icons)
{
    const MenuMetrics& m = m_rows.Metrics();
    FillSolidRect(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, kBackground);
    SetBkMode(dc, TRANSPARENT);
    // Rows draw in the normal font unless they say otherwise: a font is
    // selected once a paint, not twice a row.
    CSelectObject selectFont(dc, m_fontNormal.GetSafeHandle());

    CMenuRows::Span spans[3];
    const int nSpans = m_rows.SpansInView(spans);
    for (int s = 0; s < nSpans; ++s) {
        const bool strips = spans[s].bList && m_rows.Scrolls();
        if (strips)
            DrawStrip(dc, m_rows.StripTop(true), true, m_rows.CanScroll(true));
        int y = spans[s].nTop;
        for (int row = spans[s].nFirst; row < spans[s].nEnd; ++row) {
            const int item = m_rows.ItemOfRow(row);
            const int top = y;
            const int rowHeight = m_rows.RowHeight(item);
            y += rowHeight;
            // What a row draws: the highlight from a little above its text
            // to a line below its gap, the icon, the text.
            const int content = rowHeight - m.nRowGap;
            const int textHeight = m_rows.TextHeight();
            const int reach = (content > textHeight ? content : textHeight) + m.nRowGap + m.nHotAbove;
            if (top + reach <= clip.top)
                continue;
            if (top - m.nHotAbove >= clip.bottom)
                break;   // and so is every row after it in this run
            if (item >= 0)
                DrawItemRow(dc, icons, item, top);
            else if (item == CMenuRows::kRowFilter)
                DrawFilterRow(dc, top);
            else
                DrawNoMatchRow(dc, top);
        }
        if (strips)
            DrawStrip(dc, m_rows.StripTop(false), false, m_rows.CanScroll(false));
    }
}

void CMenuEx::DrawItemRow(HDC dc, IconSurface& icons, int nItem, int top)
{
    const MenuExItem& item = m_rows.Item(nItem);
    const MenuMetrics& m = m_rows.Metrics();
    const int width = m_rows.Width();
    COLORREF rowColor = kBackground;
    if (item.nFlags & MF_SEPARATOR) {
        CPen pen(PS_SOLID, m.nLine, kSeparator);
        CSelectObject selectPen(dc, pen);
        MoveToEx(dc, m.nTextLeft, top + m.nSeparatorLine, nullptr);
        LineTo(dc, width - m.nTextLeft, top + m.nSeparatorLine);
    } else if (nItem == m_rows.Hot()) {
        // The menu-wide text height, not the item's own, sizes the
        // highlight; the frame reaches one line below the fill.
        const int hotTop = top - m.nHotAbove;
        const int fill = m_rows.TextHeight() + m.nRowGap;
        FillSolidRect(dc, 0, hotTop, width - m.nHotRightGap, fill, kHotFill);
        rowColor = kHotFill;
        FrameBox(dc, 0, hotTop, width - m.nHotRightGap, fill + m.nLine, m.nLine, kHotFrame);
    }

    // Only MF_GRAYED greys the text; MF_DISABLED alone looks normal.
    const COLORREF textColor = (item.nFlags & MF_GRAYED) ? kGrayText : kText;
    if (IsChecked(item))
        DrawCheck(dc, top, textColor);
    else if (item.hIcon)
        DrawIconAt(dc, icons, item.hIcon, top, rowColor);

    if (item.szText[0] && item.nShown > 0) {
        CSelectObject selectBold(dc, item.bBold ? m_fontBold.GetSafeHandle() : nullptr);
        SetTextColor(dc, textColor);
        const int length = lstrlenW(item.szText);
        if (item.nShown >= length) {
            TextOutW(dc, m.nTextLeft, top, item.szText, length);
        } else {
            WCHAR cut[100];
            CopyMemory(cut, item.szText, item.nShown * sizeof(WCHAR));
            cut[item.nShown] = kEllipsis;
            TextOutW(dc, m.nTextLeft, top, cut, item.nShown + 1);
        }
    }
}

// A tick in the icon's square, drawn a column at a time so that it looks the
// same wherever it is drawn: a short stroke down to the right, a long one up.
void CMenuEx::DrawCheck(HDC dc, int y, COLORREF color) const
{
    const MenuMetrics& m = m_rows.Metrics();
    const int size = m.nIconSize;
    const int thick = size / 8 > 2 ? size / 8 : 2;
    const int left = size * 3 / 16, bend = size * 6 / 16, right = size * 12 / 16;
    const int bottom = size * 11 / 16 - thick / 2;
    for (int x = left; x <= right; ++x) {
        const int fromBend = x < bend ? bend - x : x - bend;
        FillSolidRect(dc, m.nIconLeft + x, y + bottom - fromBend, 1, thick, color);
    }
}

// DrawIconEx renders at twice the size shown, on the row's colour, in the
// left of the working square; the rendering is then shrunk to half beside
// it, and copied into place. Most rows of a long list show one and the same
// icon, which is then rendered once a paint.
void CMenuEx::DrawIconAt(HDC dc, IconSurface& icons, HICON hIcon, int y, COLORREF rowColor) const
{
    if (!icons.dc)
        return;   // no bitmap for the square: the row goes without its icon
    const MenuMetrics& m = m_rows.Metrics();
    const int size = m.nIconSize;
    const int source = 2 * size;
    if (hIcon != icons.hIcon || rowColor != icons.rowColor) {
        FillSolidRect(icons.dc, 0, 0, source, source, rowColor);
        DrawIconEx(icons.dc, 0, 0, hIcon, source, source, 0, nullptr, DI_NORMAL);
        StretchBlt(icons.dc, source, 0, size, size, icons.dc, 0, 0, source, source, SRCCOPY);
        icons.hIcon = hIcon;
        icons.rowColor = rowColor;
    }
    BitBlt(dc, m.nIconLeft, y, size, size, icons.dc, source, 0, SRCCOPY);
}

// What was typed, with a magnifying glass before it and a caret after it;
// the end of a long text stays in view.
void CMenuEx::DrawFilterRow(HDC dc, int top)
{
    const MenuMetrics& m = m_rows.Metrics();
    const LPCWSTR filter = m_rows.Filter();
    const int glass = m.nIconSize * 5 / 8;
    const int gx = m.nIconLeft + m.nIconSize / 8, gy = top + m.nLine;
    {
        CPen pen(PS_SOLID, m.nLine, kText);
        CSelectObject selectPen(dc, pen);
        CSelectObject selectBrush(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, gx, gy, gx + glass, gy + glass);
        MoveToEx(dc, gx + glass - glass / 6, gy + glass - glass / 6, nullptr);
        LineTo(dc, gx + m.nIconSize * 7 / 8, gy + m.nIconSize * 7 / 8);
    }
    SetTextColor(dc, kText);
    const int n = lstrlenW(filter);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, filter, n, &size);
    const int room = m_rows.Width() - 2 * m.nTextLeft;
    const int x = size.cx > room ? m.nTextLeft + room - size.cx : m.nTextLeft;
    const RECT rc{m.nTextLeft, top, m.nTextLeft + room, top + m.nFontHeight};
    ExtTextOutW(dc, x, top, ETO_CLIPPED, &rc, filter, n, nullptr);
    FillSolidRect(dc, x + size.cx + m.nLine, top, m.nLine, m.nFontHeight, kText);
}

void CMenuEx::DrawNoMatchRow(HDC dc, int top)
{
    SetTextColor(dc, kGrayText);
    TextOutW(dc, m_rows.Metrics().nTextLeft, top, kNoMatch, lstrlenW(kNoMatch));
}

// A small arrow in the middle of the strip, black while the list can
// scroll that way, grey at its end.
void CMenuEx::DrawStrip(HDC dc, int top, bool bUp, bool bActive)
{
    const MenuMetrics& m = m_rows.Metrics();
    const int half = ScaleForDpi(4, m.nDpi);
    const int mid = (m_rows.Width() - m.nHotRightGap) / 2;
    const int y0 = top + (m.nStrip - half - 1) / 2;
    for (int k = 0; k <= half; ++k) {
        const int w = bUp ? k : half - k;
        FillSolidRect(dc, mid - w, y0 + k, 2 * w + 1, 1, bActive ? kText : kGrayText);
    }
}
