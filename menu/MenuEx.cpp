#include "menu/MenuEx.h"

#include "framework/Text.h"
#include "framework/WinApp.h"
#include "menu/MenuMonitor.h"
#include "menu/MenuText.h"

#include <windowsx.h>

#include <new>

namespace {

// Sent to windows of a program that follows each monitor's DPI when one moves
// to a monitor of another DPI (Windows 8.1 and later; the headers for Vista
// do not name it).
constexpr UINT kWmDpiChanged = 0x02E0;

constexpr DWORD kPopupStyle = WS_POPUP | WS_CHILD | WS_DLGFRAME;   // 0xC0400000
constexpr UINT kHoverPeriodMs = 200;

// Addresses of the menus alive now. Menus are made and destroyed on the
// user-interface thread only, so the list needs no lock.
CTypedPtrArray<const CMenuEx>& LiveMenus()
{
    static CTypedPtrArray<const CMenuEx> menus;
    return menus;
}

}  // namespace

namespace {

// One description for both fonts; only the weight differs.
void MakeFonts(CFont& normal, CFont& bold, int nHeight)
{
    LOGFONTW lf{};
    lf.lfHeight = nHeight;
    lf.lfWeight = FW_NORMAL;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    normal.CreateFontIndirect(&lf);
    lf.lfWeight = FW_BOLD;
    bold.CreateFontIndirect(&lf);
}

}  // namespace

CMenuEx::CMenuEx()
    : m_hWndOwner(nullptr), m_nHotItem(-1), m_nMaxTextWidth(0), m_nTextHeight(0), m_nWidth(0),
      m_metrics(MetricsForDpi(96))
{
    m_nHeight = m_metrics.nMargin;
    MakeFonts(m_fontNormal, m_fontBold, m_metrics.nFontHeight);
    // Until Create knows better: the primary monitor's work area.
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_rcWork, 0);

    // A menu that could not be listed is never filled: it shows empty.
    LiveMenus().Add(this);
}

CMenuEx::~CMenuEx()
{
    // No longer a menu anyone may fill, even while the window goes away.
    auto& live = LiveMenus();
    const int i = live.Find(this);
    if (i >= 0)
        live.RemoveAt(i);

    Close();
    ReleaseMeasureDC();
    for (int i = 0; i < m_arrItems.GetSize(); ++i)
        delete m_arrItems[i];
    delete[] m_pnRows;
    delete[] m_pnListHeights;
    m_fontNormal.DeleteObject();
    m_fontBold.DeleteObject();
    m_arrItems.RemoveAll();
}

bool CMenuEx::IsLiveMenu(const void* p)
{
    return p && LiveMenus().Find(static_cast<const CMenuEx*>(p)) >= 0;
}

// Only a menu that one of our icons has just made for the request is filled:
// a live menu of this thread, owned by the asker, not yet shown and still
// empty. Our icons create, fill and show it without pumping messages in
// between, so a message from another thread never meets such a menu.
CMenuEx* CMenuEx::ToFill(const void* address, HWND hWndOwner)
{
    if (!IsLiveMenu(address))
        return nullptr;
    auto* menu = static_cast<CMenuEx*>(const_cast<void*>(address));
    if (!menu->m_hWnd || menu->m_hWndOwner != hWndOwner || menu->IsInModalLoop() ||
        (GetWindowLongA(menu->m_hWnd, GWL_STYLE) & WS_VISIBLE) || !menu->m_arrItems.IsEmpty())
        return nullptr;
    return menu;
}

BOOL CMenuEx::Create(HWND hWndOwner)
{
    m_hWndOwner = hWndOwner;
    // Sized for the monitor under the pointer, where a popup opens; Track
    // measures again in the rare case that its point is on another.
    POINT cursor{};
    GetCursorPos(&cursor);
    const MenuMonitor monitor = MonitorAt(cursor);
    UseMonitor(monitor.nDpi, monitor.rcWork);
    CWinApp* app = GetApp();
    CWnd* main = app ? app->GetMainWnd() : nullptr;
    HWND hWndParent = main ? main->m_hWnd : nullptr;
    if (!CreateEx(WS_EX_TOPMOST, RegisterPlainWndClass(0), L"", kPopupStyle, 0, 0, 100, 100, hWndParent, nullptr))
        return FALSE;
    SetTimer(IDT_HOVER, kHoverPeriodMs);
    return TRUE;
}

void CMenuEx::AddItem(UINT nFlags, UINT nID, LPCWSTR pszText, HICON hIcon, BOOL bBold)
{
    auto* item = new (std::nothrow) MenuExItem();   // value-initialised: all zero
    if (!item)
        return;   // out of memory: the menu goes without this row
    CopyText(item->szText, 100, pszText);   // at most 99 code units
    item->nFlags = nFlags;
    item->nID = nID;
    item->hIcon = hIcon;
    item->bBold = bBold;
    item->bAskIcon = !hIcon && m_bAskNewRows && !(nFlags & MF_SEPARATOR);
    MeasureItem(*item);
    if (m_arrItems.Add(item) < 0) {
        delete item;
        return;
    }
    m_nHeight += item->nHeight + m_metrics.nRowGap;
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
    m_nTextHeight = size.cy;
    if (size.cx > m_nMaxTextWidth)
        m_nMaxTextWidth = size.cx;
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
int CMenuEx::TextLimit() const
{
    const int limit = (m_rcWork.right - m_rcWork.left) / 2 - 2 * m_metrics.nTextLeft;
    return limit > 0 ? limit : 1;
}

// The sizes of a monitor: its DPI's fonts and numbers, and what its work
// area allows. Items already added are measured again if that changes them.
void CMenuEx::UseMonitor(int nDpi, const RECT& rcWork)
{
    const bool sameDpi = nDpi == m_metrics.nDpi;
    const bool sameWidth = rcWork.right - rcWork.left == m_rcWork.right - m_rcWork.left;
    m_rcWork = rcWork;
    if (sameDpi && sameWidth)
        return;
    ReleaseMeasureDC();
    if (!sameDpi) {
        m_metrics = MetricsForDpi(nDpi);
        MakeFonts(m_fontNormal, m_fontBold, m_metrics.nFontHeight);
        // Rows keep their scaled height whatever the font's cell rounds to.
        TEXTMETRICW tm{};
        if (GetTextMetricsW(MeasureDC(FALSE), &tm))
            m_metrics = MetricsForDpi(nDpi, tm.tmHeight);
    }
    m_nMaxTextWidth = 0;
    m_nHeight = m_metrics.nMargin;
    for (int i = 0; i < m_arrItems.GetSize(); ++i) {
        MeasureItem(*m_arrItems[i]);
        m_nHeight += m_arrItems[i]->nHeight + m_metrics.nRowGap;
    }
}

void CMenuEx::AddSeparator()
{
    AddItem(MF_SEPARATOR, 0, nullptr, nullptr, FALSE);
}

void CMenuEx::BeginFixedRows()
{
    m_nFixedFirst = m_arrItems.GetSize();
}

int CMenuEx::Track(UINT, int x, int y, CWnd*, const RECT*)
{
    Layout(POINT{x, y});
    // A menu whose window failed has nothing to show and nothing could ever
    // end its loop: report it as not run.
    if (!m_hWnd)
        return -1;
    Show();
    // If the popup was closed already (it lost the focus while being shown),
    // the loop returns Close's 0 at once.
    return RunModalLoop(0);
}

void CMenuEx::Layout(POINT pt)
{
    const MenuMonitor monitor = MonitorAt(pt);
    UseMonitor(monitor.nDpi, monitor.rcWork);
    ReleaseMeasureDC();   // every item is measured by now
    m_ptAnchor = pt;
    m_nWidth = m_nMaxTextWidth + 2 * m_metrics.nTextLeft;
    m_nHeight += m_metrics.nMargin;   // the bottom margin
    FitRows(true);
    AskIcons();
}

void CMenuEx::Show()
{
    MoveWindow(m_hWnd, m_rcWindow.left, m_rcWindow.top, m_nWidth, m_nHeight, FALSE);
    ShowWindow(m_hWnd, SW_SHOW);
    // A popup opened from a tray icon belongs to a background program: only
    // the foreground lets a click elsewhere take its focus away and close it.
    SetForegroundWindow(m_hWnd);
    // The keys go to the popup from the start. Activation gives it the focus
    // as a rule; where the system would not, it is asked for.
    if (GetFocus() != m_hWnd)
        SetFocus(m_hWnd);
}

BOOL CMenuEx::Close()
{
    if (!m_hWnd || m_bClosing)
        return FALSE;
    m_bClosing = true;
    EndModalLoop(0);
    const BOOL destroyed = DestroyWindow();
    m_bClosing = false;
    return destroyed;
}

LRESULT CMenuEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<WCHAR>(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_CLOSE:
        // Alt+F4 and the like: closed as a click elsewhere would.
        Close();
        return 0;
    case kWmDpiChanged:
        // Sized for its monitor when it opened; a popup lives too briefly
        // to follow a change.
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
