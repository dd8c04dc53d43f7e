// The rows as the popup shows them: the list, filtered by what was typed,
// the part of it in view when it scrolls, and the rows that stay in view.
#include "menu/MenuEx.h"

#include "menu/MenuText.h"

#include <climits>
#include <new>

int CMenuEx::RowHeight(int nItem) const
{
    if (nItem >= 0)
        return m_arrItems[nItem]->nHeight + m_metrics.nRowGap;
    return m_metrics.nFontHeight + m_metrics.nRowGap;   // a line of the normal font
}

int CMenuEx::HeadHeight() const
{
    return m_nHeadRows ? RowHeight(kRowFilter) : 0;
}

int CMenuEx::ListTop() const
{
    return m_metrics.nMargin + HeadHeight() + (m_bScrolls ? m_metrics.nStrip : 0);
}

int CMenuEx::StripTop(bool bUp) const
{
    return bUp ? ListTop() - m_metrics.nStrip : ListTop() + m_nViewport;
}

bool CMenuEx::CanScroll(bool bUp) const
{
    if (!m_bScrolls)
        return false;
    return bUp ? m_nTop > 0 : m_nTop < LastTop(m_pnListHeights, m_nListRows, m_nViewport);
}

int CMenuEx::SpansInView(Span* pSpans) const
{
    int n = 0;
    if (!m_pnRows) {
        // Not laid out: every item, one under the other.
        pSpans[n++] = Span{0, m_arrItems.GetSize(), m_metrics.nMargin};
        return n;
    }
    if (m_nHeadRows)
        pSpans[n++] = Span{0, m_nHeadRows, m_metrics.nMargin};
    const int first = m_nHeadRows + (m_bScrolls ? m_nTop : 0);
    const int inView = m_bScrolls ? RowsInView(m_pnListHeights, m_nListRows, m_nTop, m_nViewport) : m_nListRows;
    if (inView)
        pSpans[n++] = Span{first, first + inView, ListTop()};
    const int fixedFirst = m_nHeadRows + m_nListRows;
    if (fixedFirst < m_nRows)
        pSpans[n++] = Span{fixedFirst, m_nRows, ListTop() + m_nViewport + (m_bScrolls ? m_metrics.nStrip : 0)};
    return n;
}

// The rows in view top to bottom, each with its top and height, until
// bFound answers true for one: that row, or -1.
template <class Found>
int CMenuEx::FindInView(Found bFound) const
{
    Span spans[3];
    const int nSpans = SpansInView(spans);
    for (int s = 0; s < nSpans; ++s) {
        int y = spans[s].nTop;
        for (int row = spans[s].nFirst; row < spans[s].nEnd; ++row) {
            const int h = RowHeight(ItemOfRow(row));
            if (bFound(row, y, h))
                return row;
            y += h;
        }
    }
    return -1;
}

int CMenuEx::RowAt(POINT pt, int* pnStrip) const
{
    if (pnStrip)
        *pnStrip = 0;
    // A row reaches across the whole width, and no further.
    if (pt.x < 0 || pt.x >= m_nWidth)
        return -1;
    if (m_bScrolls) {
        for (int strip = 1; strip <= 2; ++strip) {
            const int top = StripTop(strip == 1);
            if (pt.y >= top && pt.y < top + m_metrics.nStrip) {
                if (pnStrip)
                    *pnStrip = strip;
                return -1;
            }
        }
    }
    return FindInView([&](int, int top, int height) { return pt.y >= top && pt.y < top + height; });
}

int CMenuEx::RowTop(int nRow) const
{
    int found = INT_MIN;
    FindInView([&](int row, int top, int) {
        if (row != nRow)
            return false;
        found = top;
        return true;
    });
    return found;
}

// The rows as shown: the typed filter's, the list (what matches, or a row
// saying nothing does), the fixed rows. Without a list every row is in it.
bool CMenuEx::BuildRows()
{
    // Every item and the two rows that stand for none.
    const int nItems = m_arrItems.GetSize();
    if (!m_pnRows || m_nRowsRoom < nItems + 2) {
        delete[] m_pnRows;
        delete[] m_pnListHeights;
        m_pnRows = new (std::nothrow) int[nItems + 2];
        m_pnListHeights = new (std::nothrow) int[nItems + 2];
        m_nRowsRoom = nItems + 2;
        if (!m_pnRows || !m_pnListHeights) {
            // Out of memory: shown unscrolled and unfiltered, as items come.
            delete[] m_pnRows;
            delete[] m_pnListHeights;
            m_pnRows = m_pnListHeights = nullptr;
            return false;
        }
    }
    const int listEnd = HasList() && m_nFixedFirst <= nItems ? m_nFixedFirst : nItems;
    int n = 0;
    m_nHeadRows = m_szFilter[0] ? 1 : 0;
    if (m_nHeadRows)
        m_pnRows[n++] = kRowFilter;
    for (int i = 0; i < listEnd; ++i) {
        const MenuExItem& item = *m_arrItems[i];
        if (m_szFilter[0] && ((item.nFlags & MF_SEPARATOR) || !ContainsNoCase(item.szText, m_szFilter)))
            continue;
        m_pnListHeights[n - m_nHeadRows] = RowHeight(i);
        m_pnRows[n++] = i;
    }
    if (m_szFilter[0] && n == m_nHeadRows) {
        m_pnListHeights[0] = RowHeight(kRowNoMatch);
        m_pnRows[n++] = kRowNoMatch;
    }
    m_nListRows = n - m_nHeadRows;
    for (int i = listEnd; i < nItems; ++i)
        m_pnRows[n++] = i;
    m_nRows = n;
    return true;
}

// Sizes the popup for its rows and places it. When it first opens, rows
// that fit the work area make the popup it always was; otherwise, and once
// something was typed, it takes the height of its rows, and a list that
// does not fit gets what room the work area leaves and scrolls.
void CMenuEx::FitRows(bool bOpening)
{
    m_bScrolls = false;
    if (!BuildRows()) {
        m_nViewport = 0;
    } else {
        int list = 0;
        for (int k = 0; k < m_nListRows; ++k)
            list += m_pnListHeights[k];
        m_nViewport = list;
        const int maxHeight = m_rcWork.bottom - m_rcWork.top;
        if (!bOpening || m_nHeight > maxHeight) {
            int fixed = 0;
            for (int row = m_nHeadRows + m_nListRows; row < m_nRows; ++row)
                fixed += RowHeight(m_pnRows[row]);
            const ListSpace space = FitList(HeadHeight(), m_pnListHeights, m_nListRows, fixed, m_metrics.nMargin,
                                            m_metrics.nStrip, maxHeight);
            m_bScrolls = space.bScrolls;
            m_nViewport = space.nViewport;
            m_nHeight = space.nHeight;
        }
        m_nTop = m_bScrolls ? ClampTop(m_pnListHeights, m_nListRows, m_nTop, m_nViewport) : 0;
    }
    // A popup that had to be cut to its work area lies inside it, and stays
    // there while the filter changes its height.
    if (bOpening)
        m_bInsideWork = m_bScrolls;
    m_rcWindow = PlaceMenu(m_ptAnchor, SIZE{m_nWidth, m_nHeight}, m_rcWork, m_metrics.nTextLeft, m_metrics.nMargin,
                           m_bInsideWork);
}

// After the typed text changed: the list again, from its first row, the
// first match highlighted; the popup takes the height of what it shows,
// opening from its point as before.
void CMenuEx::Refilter()
{
    m_nTop = 0;
    FitRows(false);
    int first = -1;
    for (int row = m_nHeadRows; row < m_nHeadRows + m_nListRows && first < 0; ++row) {
        const int item = ItemOfRow(row);
        if (item >= 0 && CanBeChosen(*m_arrItems[item]))
            first = item;
    }
    if (m_hWnd) {
        SetWindowPos(m_hWnd, nullptr, m_rcWindow.left, m_rcWindow.top, m_nWidth, m_nHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    SetHotByKeys(first);
    AskIcons();
}

void CMenuEx::ScrollBy(int nRows)
{
    if (!m_bScrolls)
        return;
    const int top = ClampTop(m_pnListHeights, m_nListRows, m_nTop + nRows, m_nViewport);
    if (top == m_nTop)
        return;
    m_nTop = top;
    AskIcons();
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMenuEx::ScrollToItem(int nItem)
{
    if (!m_bScrolls || nItem < 0)
        return;
    for (int k = 0; k < m_nListRows; ++k) {
        if (m_pnRows[m_nHeadRows + k] == nItem) {
            ScrollBy(TopToShow(m_pnListHeights, m_nListRows, m_nTop, k, m_nViewport) - m_nTop);
            return;
        }
    }
}

int CMenuEx::PageRows() const
{
    const int n = m_bScrolls ? RowsInView(m_pnListHeights, m_nListRows, m_nTop, m_nViewport) : m_nListRows;
    return n > 0 ? n : 1;
}

// Rows added without an icon get theirs once they are in view: the icons
// of rows never shown are never asked for.
void CMenuEx::AskIcons()
{
    if (!m_pIconSource)
        return;
    bool asking = false;
    Span spans[3];
    const int nSpans = SpansInView(spans);
    for (int s = 0; s < nSpans; ++s)
        for (int row = spans[s].nFirst; row < spans[s].nEnd; ++row) {
            const int item = ItemOfRow(row);
            if (item < 0 || !m_arrItems[item]->bAskIcon)
                continue;
            if (!asking) {
                m_pIconSource->BeginAsking();
                asking = true;
            }
            m_arrItems[item]->bAskIcon = FALSE;
            m_arrItems[item]->hIcon = m_pIconSource->IconFor(m_arrItems[item]->nID);
        }
    if (asking)
        m_pIconSource->EndAsking();
}
