#include "menu/MenuGeometry.h"

namespace {

// The menu's numbers at 96 DPI.
constexpr int kFont = 13;
constexpr int kRow = 18;   // a text row: the font's cell and the gap under it

// One axis of the placement: the start of a span of length n that ends at
// the point p, kept at least nLeast, on the work area's [lo, hi).
int PlaceSpan(int p, int n, int nLeast, int lo, int hi, bool bInside)
{
    const int want = p - n;
    int start = want < nLeast ? nLeast : want;
    if (start < lo)
        start = lo;
    else if (start != want && start + n > hi)
        start = want < lo ? lo : want;
    if (bInside) {
        if (start + n > hi)
            start = hi - n;
        if (start < lo)
            start = lo;
    }
    return start;
}

}  // namespace

int ScaleForDpi(int nPixels, int nDpi)
{
    return MulDiv(nPixels, nDpi, 96);
}

MenuMetrics MetricsForDpi(int nDpi, int nCellHeight)
{
    if (nDpi <= 0)
        nDpi = 96;
    MenuMetrics m{};
    m.nDpi = nDpi;
    m.nFontHeight = ScaleForDpi(kFont, nDpi);
    m.nMargin = ScaleForDpi(5, nDpi);
    const int cell = nCellHeight > 0 ? nCellHeight : m.nFontHeight;
    const int leastGap = 5 * nDpi / 96;
    m.nRowGap = ScaleForDpi(kRow, nDpi) - cell;
    if (m.nRowGap < leastGap)
        m.nRowGap = leastGap;
    m.nTextLeft = ScaleForDpi(21, nDpi);
    m.nSeparatorLine = ScaleForDpi(2, nDpi);
    m.nHotAbove = ScaleForDpi(2, nDpi);
    m.nHotRightGap = ScaleForDpi(7, nDpi);
    m.nIconLeft = ScaleForDpi(2, nDpi);
    m.nIconSize = ScaleForDpi(16, nDpi);
    m.nLine = nDpi >= 192 ? nDpi / 96 : 1;
    m.nStrip = ScaleForDpi(12, nDpi);
    return m;
}

RECT PlaceMenu(POINT pt, SIZE size, const RECT& rcWork, int nLeastLeft, int nLeastTop, bool bInside)
{
    const int left = PlaceSpan(pt.x, size.cx, nLeastLeft, rcWork.left, rcWork.right, bInside);
    const int top = PlaceSpan(pt.y, size.cy, nLeastTop, rcWork.top, rcWork.bottom, bInside);
    return RECT{left, top, left + size.cx, top + size.cy};
}

ListSpace FitList(int nHead, const int* pnRows, int nRows, int nFixed, int nMargin, int nStrip, int nMaxHeight)
{
    int total = 0;
    for (int i = 0; i < nRows; ++i)
        total += pnRows[i];
    const int around = 2 * nMargin + nHead + nFixed;
    if (around + total <= nMaxHeight || nRows == 0)
        return ListSpace{false, total, around + total};

    // Whole rows only, so no row is ever cut by a strip; one at least.
    const int room = nMaxHeight - around - 2 * nStrip;
    int viewport = pnRows[0];
    for (int i = 1; i < nRows && viewport + pnRows[i] <= room; ++i)
        viewport += pnRows[i];
    return ListSpace{true, viewport, around + 2 * nStrip + viewport};
}

int RowsInView(const int* pnRows, int nRows, int nTop, int nViewport)
{
    int n = 0, used = 0;
    for (int i = nTop; i < nRows; ++i) {
        if (n > 0 && used + pnRows[i] > nViewport)
            break;
        used += pnRows[i];
        ++n;
    }
    return n;
}

int LastTop(const int* pnRows, int nRows, int nViewport)
{
    int top = nRows, used = 0;
    while (top > 0 && (top == nRows || used + pnRows[top - 1] <= nViewport)) {
        used += pnRows[top - 1];
        --top;
    }
    return top;
}

int ClampTop(const int* pnRows, int nRows, int nTop, int nViewport)
{
    const int last = LastTop(pnRows, nRows, nViewport);
    if (nTop > last)
        nTop = last;
    return nTop < 0 ? 0 : nTop;
}

int TopToShow(const int* pnRows, int nRows, int nTop, int nRow, int nViewport)
{
    nTop = ClampTop(pnRows, nRows, nTop, nViewport);
    if (nRow < 0 || nRow >= nRows)
        return nTop;
    if (nRow < nTop)
        return nRow;
    while (nRow >= nTop + RowsInView(pnRows, nRows, nTop, nViewport))
        ++nTop;
    return nTop;
}
