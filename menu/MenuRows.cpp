#include "menu/MenuRows.h"

#include "framework/Text.h"
#include "menu/MenuText.h"

#include <climits>
#include <new>

CMenuRows::CMenuRows() : m_metrics(MetricsForDpi(96))
{
    m_nHeight = m_metrics.nMargin;
}

CMenuRows::~CMenuRows()
{
    for (int i = 0; i < m_arrItems.GetSize(); ++i)
        delete m_arrItems[i];
    m_arrItems.RemoveAll();
    delete[] m_pnRows;
    delete[] m_pnListHeights;
}

bool CMenuRows::Add(MenuExItem* pItem)
{
    pItem->bAskIcon = !pItem->hIcon && m_bAskNewRows && !(pItem->nFlags & MF_SEPARATOR);
    if (m_arrItems.Add(pItem) < 0) {
        delete pItem;
        return false;
    }
    if (pItem->nTextWidth > m_nMaxTextWidth)
        m_nMaxTextWidth = pItem->nTextWidth;
    m_nHeight += pItem->nHeight + m_metrics.nRowGap;
    return true;
}

void CMenuRows::SetIconSource(CMenuIconSource* pSource)
{
    m_bAskNewRows = pSource != nullptr;
    if (pSource)
        m_pIconSource = pSource;
}

void CMenuRows::Remeasured()
{
    m_nMaxTextWidth = 0;
    m_nHeight = m_metrics.nMargin;
    for (int i = 0; i < ItemCount(); ++i) {
        const MenuExItem& item = Item(i);
        if (item.nTextWidth > m_nMaxTextWidth)
            m_nMaxTextWidth = item.nTextWidth;
        m_nHeight += item.nHeight + m_metrics.nRowGap;
    }
}

int CMenuRows::RowHeight(int nItem) const
{
    if (nItem >= 0)
        return Item(nItem).nHeight + m_metrics.nRowGap;
    return m_metrics.nFontHeight + m_metrics.nRowGap;   // a line of the normal font
}

int CMenuRows::HeadHeight() const
{
    return m_nHeadRows ? RowHeight(kRowFilter) : 0;
}

int CMenuRows::ListTop() const
{
    return m_metrics.nMargin + HeadHeight() + (m_bScrolls ? m_metrics.nStrip : 0);
}

int CMenuRows::StripTop(bool bUp) const
{
    return bUp ? ListTop() - m_metrics.nStrip : ListTop() + m_nViewport;
}

bool CMenuRows::CanScroll(bool bUp) const
{
    if (!m_bScrolls)
        return false;
    return bUp ? m_nTop > 0 : m_nTop < LastTop(m_pnListHeights, m_nListRows, m_nViewport);
}

int CMenuRows::SpansInView(Span* pSpans) const
{
    int n = 0;
    if (!m_pnRows) {
        // Not opened: every item, one under the other.
        pSpans[n++] = Span{0, ItemCount(), m_metrics.nMargin, false};
        return n;
    }
    if (m_nHeadRows)
        pSpans[n++] = Span{0, m_nHeadRows, m_metrics.nMargin, false};
    const int first = m_nHeadRows + (m_bScrolls ? m_nTop : 0);
    const int inView = m_bScrolls ? RowsInView(m_pnListHeights, m_nListRows, m_nTop, m_nViewport) : m_nListRows;
    if (inView)
        pSpans[n++] = Span{first, first + inView, ListTop(), true};
    const int fixedFirst = m_nHeadRows + m_nListRows;
    if (fixedFirst < m_nRows)
        pSpans[n++] = Span{fixedFirst, m_nRows, ListTop() + m_nViewport + (m_bScrolls ? m_metrics.nStrip : 0), false};
    return n;
}

// The rows in view top to bottom, each with its top and height, until
// bFound answers true for one: that row, or -1.
template <class Found>
int CMenuRows::FindInView(Found bFound) const
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

int CMenuRows::RowAt(POINT pt, int* pnStrip) const
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

int CMenuRows::ItemAt(POINT pt, int* pnStrip) const
{
    const int row = RowAt(pt, pnStrip);
    const int item = row >= 0 ? ItemOfRow(row) : -1;
    return item >= 0 ? item : -1;
}

int CMenuRows::RowTop(int nRow) const
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
bool CMenuRows::BuildRows()
{
    // Every item and the two rows that stand for none.
    const int nItems = ItemCount();
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
        const MenuExItem& item = Item(i);
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

void CMenuRows::Open(int nMaxHeight)
{
    m_nWidth = m_nMaxTextWidth + 2 * m_metrics.nTextLeft;
    m_nHeight += m_metrics.nMargin;   // the bottom margin
    Fit(true, nMaxHeight);
    AskIcons();
}

// When it first opens, rows that fit make the popup they always made;
// otherwise, and once something was typed, it takes the height of its rows,
// and a list that does not fit gets what room is left and scrolls.
void CMenuRows::Fit(bool bOpening, int nMaxHeight)
{
    m_bScrolls = false;
    if (!BuildRows()) {
        m_nViewport = 0;
        return;
    }
    int list = 0;
    for (int k = 0; k < m_nListRows; ++k)
        list += m_pnListHeights[k];
    m_nViewport = list;
    if (!bOpening || m_nHeight > nMaxHeight) {
        int fixed = 0;
        for (int row = m_nHeadRows + m_nListRows; row < m_nRows; ++row)
            fixed += RowHeight(m_pnRows[row]);
        const ListSpace space = FitList(HeadHeight(), m_pnListHeights, m_nListRows, fixed, m_metrics.nMargin,
                                        m_metrics.nStrip, nMaxHeight);
        m_bScrolls = space.bScrolls;
        m_nViewport = space.nViewport;
        m_nHeight = space.nHeight;
    }
    m_nTop = m_bScrolls ? ClampTop(m_pnListHeights, m_nListRows, m_nTop, m_nViewport) : 0;
}

bool CMenuRows::ScrollBy(int nRows)
{
    if (!m_bScrolls)
        return false;
    const int top = ClampTop(m_pnListHeights, m_nListRows, m_nTop + nRows, m_nViewport);
    if (top == m_nTop)
        return false;
    m_nTop = top;
    AskIcons();
    return true;
}

bool CMenuRows::ScrollToItem(int nItem)
{
    if (!m_bScrolls || nItem < 0)
        return false;
    for (int k = 0; k < m_nListRows; ++k)
        if (m_pnRows[m_nHeadRows + k] == nItem)
            return ScrollBy(TopToShow(m_pnListHeights, m_nListRows, m_nTop, k, m_nViewport) - m_nTop);
    return false;
}

int CMenuRows::PageRows() const
{
    const int n = m_bScrolls ? RowsInView(m_pnListHeights, m_nListRows, m_nTop, m_nViewport) : m_nListRows;
    return n > 0 ? n : 1;
}

bool CMenuRows::TakesTyping(WCHAR ch) const
{
    // Control characters are keys, seen as such.
    return HasList() && ch >= 0x20 && ch != 0x7F;
}

bool CMenuRows::Type(WCHAR ch)
{
    return TakesTyping(ch) && AddTyped(m_szFilter, ARRAYSIZE(m_szFilter), ch) && !IsHighSurrogate(ch);
}

bool CMenuRows::Erase()
{
    return HasList() && EraseTyped(m_szFilter);
}

int CMenuRows::Refilter(int nMaxHeight)
{
    m_nTop = 0;
    Fit(false, nMaxHeight);
    AskIcons();
    for (int row = m_nHeadRows; row < m_nHeadRows + m_nListRows; ++row) {
        const int item = ItemOfRow(row);
        if (CanChoose(item))
            return item;
    }
    return -1;
}

bool CMenuRows::SetHot(int nItem)
{
    if (nItem == m_nHot)
        return false;
    m_nHot = nItem;
    return true;
}

bool CMenuRows::CanChoose(int nItem) const
{
    return nItem >= 0 && nItem < ItemCount() && CanBeChosen(Item(nItem));
}

MenuKeyResult CMenuRows::Key(UINT vk) const
{
    const int nRows = RowCount();
    auto* choosable = new (std::nothrow) bool[nRows > 0 ? nRows : 1];
    if (!choosable)
        return MenuKeyResult{MenuKeyAction::None, -1};
    int hotRow = -1;
    for (int row = 0; row < nRows; ++row) {
        const int item = ItemOfRow(row);
        choosable[row] = CanChoose(item);
        if (item >= 0 && item == m_nHot)
            hotRow = row;
    }
    const MenuKeyResult result = KeyInMenu(vk, choosable, nRows, hotRow, PageRows());
    delete[] choosable;
    return result;
}

// Rows added without an icon get theirs once they are in view: the icons
// of rows never shown are never asked for.
void CMenuRows::AskIcons()
{
    if (!m_pIconSource)
        return;
    bool asking = false;
    Span spans[3];
    const int nSpans = SpansInView(spans);
    for (int s = 0; s < nSpans; ++s)
        for (int row = spans[s].nFirst; row < spans[s].nEnd; ++row) {
            const int item = ItemOfRow(row);
            if (item < 0 || !Item(item).bAskIcon)
                continue;
            if (!asking) {
                m_pIconSource->BeginAsking();
                asking = true;
            }
            MenuExItem& asked = Item(item);
            asked.bAskIcon = FALSE;
            const MenuIcon icon = m_pIconSource->IconFor(asked.nID);
            asked.hIcon = icon.hIcon;
            asked.bRecalled = icon.bRecalled;
            if (icon.bRecalled)
                ++m_nRecalled;
        }
    if (asking)
        m_pIconSource->EndAsking();
}

// Every recalled row is asked, in view or not: each was shown with its
// recalled icon, and may be scrolled back into view.
bool CMenuRows::AskAgain()
{
    if (!m_nRecalled || !m_pIconSource)
        return false;
    bool changed = false;
    m_pIconSource->BeginAsking();
    for (int i = 0; i < ItemCount() && m_nRecalled > 0; ++i) {
        MenuExItem& item = Item(i);
        if (!item.bRecalled)
            continue;
        item.bRecalled = FALSE;
        --m_nRecalled;
        const HICON icon = m_pIconSource->AskAgain(item.nID);
        changed = changed || icon != item.hIcon;
        item.hIcon = icon;
    }
    m_pIconSource->EndAsking();
    return changed;
}
