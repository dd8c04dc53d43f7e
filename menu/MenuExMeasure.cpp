// The popup's fonts and the measuring of its items, for the DPI and the
// work area of the monitor it opens on.
#include "menu/MenuEx.h"

#include "menu/MenuText.h"

// One description for both fonts; only the weight differs.
void CMenuEx::UseFonts()
{
    LOGFONTW lf{};
    lf.lfHeight = m_rows.Metrics().nFontHeight;
    lf.lfWeight = FW_NORMAL;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    m_fontNormal.CreateFontIndirect(&lf);
    lf.lfWeight = FW_BOLD;
    m_fontBold.CreateFontIndirect(&lf);
}

// Measures with the item's font, once, and cuts a text too wide for the
// menu: what is measured here is what Track and the paint use.
void CMenuEx::MeasureItem(MenuExItem& item)
{
    HDC dc = MeasureDC(item.bBold);
    SIZE size{0, 0};
    if (item.nFlags & MF_SEPARATOR) {
        GetTextExtentPoint32W(dc, L"---", 3, &size);
        item.nHeight = size.cy / 2;
        item.nShown = 0;
    } else {
        const int n = lstrlenW(item.szText);
        GetTextExtentPoint32W(dc, item.szText, n, &size);
        item.nHeight = size.cy;
        item.nShown = n;
        const int limit = TextLimit();
        if (size.cx > limit) {
            int extents[100];
            SIZE whole{0, 0}, ellipsis{0, 0};
            GetTextExtentExPointW(dc, item.szText, n, 0, nullptr, extents, &whole);
            GetTextExtentPoint32W(dc, &kEllipsis, 1, &ellipsis);
            item.nShown = CutToWidth(item.szText, n, extents, limit, ellipsis.cx);
            size.cx = (item.nShown ? extents[item.nShown - 1] : 0) + ellipsis.cx;
        }
    }
    item.nTextWidth = size.cx;
    m_rows.SetTextHeight(size.cy);
}

// A memory DC compatible with the screen measures as the popup's own would,
// and one for all the items spares a DC per row.
HDC CMenuEx::MeasureDC(BOOL bBold)
{
    if (!m_hMeasureDC) {
        m_hMeasureDC = CreateCompatibleDC(nullptr);
        if (!m_hMeasureDC)
            return nullptr;   // measured as nothing: the rows show empty
        m_hMeasureOldFont = SelectObject(m_hMeasureDC, m_fontNormal.GetSafeHandle());
        m_bMeasureBold = FALSE;
    }
    if (!bBold != !m_bMeasureBold) {
        SelectObject(m_hMeasureDC, bBold ? m_fontBold.GetSafeHandle() : m_fontNormal.GetSafeHandle());
        m_bMeasureBold = bBold;
    }
    return m_hMeasureDC;
}

void CMenuEx::ReleaseMeasureDC()
{
    if (!m_hMeasureDC)
        return;
    SelectObject(m_hMeasureDC, m_hMeasureOldFont);
    DeleteDC(m_hMeasureDC);
    m_hMeasureDC = nullptr;
}

// A title may take the menu to half its work area's width; a wider one is
// cut and ends in an ellipsis.
void CMenuEx::UseMonitorUnderPointer()
{
    POINT cursor{};
    GetCursorPos(&cursor);
    UseMonitor(MonitorAt(cursor));
}

int CMenuEx::TextLimit() const
{
    const int limit = (m_monitor.rcWork.right - m_monitor.rcWork.left) / 2 - 2 * m_rows.Metrics().nTextLeft;
    return limit > 0 ? limit : 1;
}

// The sizes of a monitor: its DPI's fonts and numbers, and what its work
// area allows. Items already added are measured again if that changes them.
void CMenuEx::UseMonitor(const MenuMonitor& monitor)
{
    const int nDpi = monitor.nDpi;
    const bool sameDpi = nDpi == m_rows.Metrics().nDpi;
    const bool sameWidth =
        monitor.rcWork.right - monitor.rcWork.left == m_monitor.rcWork.right - m_monitor.rcWork.left;
    m_monitor = monitor;
    if (sameDpi && sameWidth)
        return;
    ReleaseMeasureDC();
    if (!sameDpi) {
        m_rows.SetMetrics(MetricsForDpi(nDpi));
        UseFonts();
        // Rows keep their scaled height whatever the font's cell rounds to.
        TEXTMETRICW tm{};
        if (GetTextMetricsW(MeasureDC(FALSE), &tm))
            m_rows.SetMetrics(MetricsForDpi(nDpi, tm.tmHeight));
    }
    for (int i = 0; i < m_rows.ItemCount(); ++i)
        MeasureItem(m_rows.Item(i));
    m_rows.Remeasured();
}
