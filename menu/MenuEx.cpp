// The popup's window: its life, kept from one popup to the next, and its
// place on the screen.
#include "menu/MenuEx.h"

#include "framework/Text.h"
#include "framework/WinApp.h"

#include <windowsx.h>

#include <new>

namespace {

// Sent to windows of a program that follows each monitor's DPI when one moves
// to a monitor of another DPI (Windows 8.1 and later; the headers for Vista
// do not name it).
constexpr UINT kWmDpiChanged = 0x02E0;

constexpr DWORD kPopupStyle = WS_POPUP | WS_CHILD | WS_DLGFRAME;   // 0xC0400000

// Addresses of the menus alive now. Menus are made and destroyed on the
// user-interface thread only, so the list needs no lock.
CTypedPtrArray<const CMenuEx>& LiveMenus()
{
    static CTypedPtrArray<const CMenuEx> menus;
    return menus;
}

// Holds the popup window while no popup is open, so that the next popup
// only has to place and show it. Bound to the window, it also learns when
// something else ends it (the end of its owner, the main window), and what
// still reaches the window meanwhile finds no popup to act on.
class CIdlePopup : public CWnd {
public:
    void Lend(CWnd& popup) { PassWindowTo(popup); }
};

CIdlePopup& IdlePopup()
{
    static CIdlePopup idle;
    return idle;
}

}  // namespace

CMenuEx::CMenuEx()
{
    // At 96 DPI until Create finds the monitor.
    UseFonts();

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
    m_fontNormal.DeleteObject();
    m_fontBold.DeleteObject();
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
        (GetWindowLongA(menu->m_hWnd, GWL_STYLE) & WS_VISIBLE) || menu->m_rows.ItemCount() != 0)
        return nullptr;
    return menu;
}

BOOL CMenuEx::Create(HWND hWndOwner, const POINT* pptOpen)
{
    if (m_hWnd)
        return FALSE;
    m_hWndOwner = hWndOwner;
    // Sized for the monitor where the popup opens; Track measures again in
    // the rare case that its point is on another. (Where the pointer is, is
    // a question to the display.)
    if (pptOpen)
        UseMonitor(MonitorAt(*pptOpen));
    else
        UseMonitorUnderPointer();
    CWinApp* app = GetApp();
    CWnd* main = app ? app->GetMainWnd() : nullptr;
    HWND hWndParent = main ? main->m_hWnd : nullptr;
    if (!TakeKeptWindow(hWndParent) &&
        !CreateEx(WS_EX_TOPMOST, RegisterPlainWndClass(0), L"", kPopupStyle, 0, 0, 100, 100, hWndParent, nullptr))
        return FALSE;
    SetTimer(IDT_HOVER, kHoverPeriodMs);
    return TRUE;
}

// The process's popup window, if no popup holds it now. It is owned by the
// main window it was made for; for another (a test's), it is made anew.
bool CMenuEx::TakeKeptWindow(HWND hWndParent)
{
    CIdlePopup& idle = IdlePopup();
    if (!idle.m_hWnd)
        return false;
    if (GetWindow(idle.m_hWnd, GW_OWNER) != hWndParent) {
        idle.DestroyWindow();
        return false;
    }
    idle.Lend(*this);
    return true;
}

void CMenuEx::AddItem(UINT nFlags, UINT nID, LPCWSTR pszText, HICON hIcon, BOOL bBold)
{
    auto* item = new (std::nothrow) MenuExItem();   // value-initialised: all zero
    if (!item)
        return;   // out of memory: the menu goes without this row
    if (IsRectEmpty(&m_monitor.rcWork))
        UseMonitorUnderPointer();   // a menu filled without a window
    CopyText(item->szText, 100, pszText);   // at most 99 code units
    item->nFlags = nFlags;
    item->nID = nID;
    item->hIcon = hIcon;
    item->bBold = bBold;
    MeasureItem(*item);
    m_rows.Add(item);
}

void CMenuEx::AddSeparator()
{
    AddItem(MF_SEPARATOR, 0, nullptr, nullptr, FALSE);
}

int CMenuEx::Track(UINT, int x, int y, CWnd*, const RECT*)
{
    Layout(POINT{x, y});
    // A menu whose window failed has nothing to show and nothing could ever
    // end its loop: report it as not run.
    if (!m_hWnd)
        return -1;
    Show();
    // Painted before it is activated: the rows are on the screen while the
    // activation's round trips go on.
    UpdateWindow(m_hWnd);
    Activate();
    // If the popup was closed already (it lost the focus while being shown),
    // the loop returns Close's 0 at once.
    return RunModalLoop(0);
}

void CMenuEx::Layout(POINT pt)
{
    // As a rule it opens on the monitor it was made for, whose DPI alone is
    // asked again.
    MenuMonitor monitor = m_monitor;
    if (monitor.hMonitor && PtInRect(&monitor.rcMonitor, pt))
        monitor.nDpi = MonitorDpi(monitor.hMonitor);
    else
        monitor = MonitorAt(pt);
    UseMonitor(monitor);
    ReleaseMeasureDC();   // every item is measured by now
    m_ptAnchor = pt;
    m_rows.Open(m_monitor.rcWork.bottom - m_monitor.rcWork.top);
    // A popup that had to be cut to its work area lies inside it, and stays
    // there while the filter changes its height.
    m_bInsideWork = m_rows.Scrolls();
    Place();
}

void CMenuEx::Place()
{
    const MenuMetrics& m = m_rows.Metrics();
    m_rcWindow = PlaceMenu(m_ptAnchor, SIZE{m_rows.Width(), m_rows.Height()}, m_monitor.rcWork, m.nTextLeft,
                           m.nMargin, m_bInsideWork);
}

void CMenuEx::Show()
{
    // Placed and shown in one step, as ShowWindow shows a window of this
    // style: without activating it or changing its place in the z-order.
    SetWindowPos(m_hWnd, nullptr, m_rcWindow.left, m_rcWindow.top, m_rows.Width(), m_rows.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    m_bUnpainted = true;
}

void CMenuEx::Activate()
{
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
    BOOL closed = TRUE;
    CIdlePopup& idle = IdlePopup();
    if (idle.m_hWnd) {
        // Another popup's window is kept already.
        closed = DestroyWindow();
    } else {
        // Hidden, it gives up the focus and takes no input. Its timers are
        // this popup's.
        const HWND hwnd = m_hWnd;
        ShowWindow(hwnd, SW_HIDE);
        KillTimer(IDT_HOVER);
        KillTimer(IDT_SCROLL);
        KillTimer(IDT_RECALLED);
        if (m_hWnd == hwnd)
            PassWindowTo(idle);
    }
    m_bClosing = false;
    return closed;
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
