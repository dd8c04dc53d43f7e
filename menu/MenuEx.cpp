#include "menu/MenuEx.h"

#include "framework/Text.h"
#include "framework/WinApp.h"

#include <windowsx.h>

#include <new>

namespace {

// Layout, in pixels.
constexpr int kMargin = 5;       // top and bottom margins, gap under each item, least top edge on screen
constexpr int kTextLeft = 21;    // text inset; least left edge on screen
constexpr int kSideInsets = 42;  // 21 on each side of the widest text

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

CMenuEx::CMenuEx()
    : m_hWndOwner(nullptr), m_nHotItem(-1), m_nMaxTextWidth(0), m_nTextHeight(0), m_nHeight(kMargin),
      m_nWidth(0)
{
    // One description for both fonts; only the weight differs.
    LOGFONTW lf{};
    lf.lfHeight = 13;
    lf.lfWeight = FW_NORMAL;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    m_fontNormal.CreateFontIndirect(&lf);
    lf.lfWeight = FW_BOLD;
    m_fontBold.CreateFontIndirect(&lf);

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
    for (int i = 0; i < m_arrItems.GetSize(); ++i)
        delete m_arrItems[i];
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

    // Without a window (its creation failed) this measures on the screen's
    // DC, which gives the same sizes, so the menu still lays out.
    CClientDC dc(m_hWnd);
    CSelectObject font(dc, bBold ? m_fontBold.GetSafeHandle() : m_fontNormal.GetSafeHandle());
    SIZE size{0, 0};
    if (nFlags & MF_SEPARATOR) {
        GetTextExtentPoint32W(dc, L"---", 3, &size);
        item->nHeight = size.cy / 2;
    } else {
        GetTextExtentPoint32W(dc, item->szText, lstrlenW(item->szText), &size);
        item->nHeight = size.cy;
    }
    item->nTextWidth = size.cx;
    m_nTextHeight = size.cy;
    if (size.cx > m_nMaxTextWidth)
        m_nMaxTextWidth = size.cx;
    if (m_arrItems.Add(item) < 0) {
        delete item;
        return;
    }
    m_nHeight += item->nHeight + kMargin;
}

void CMenuEx::AddSeparator()
{
    AddItem(MF_SEPARATOR, 0, nullptr, nullptr, FALSE);
}

int CMenuEx::Track(UINT, int x, int y, CWnd*, const RECT*)
{
    m_nWidth = m_nMaxTextWidth + kSideInsets;
    m_nHeight += kMargin;
    // Above and to the left of the point, kept off the top-left screen edges
    // only; the comparisons are signed so that points left of or above the
    // primary screen clamp too.
    int left = x - m_nWidth;
    if (left < kTextLeft)
        left = kTextLeft;
    int top = y - m_nHeight;
    if (top < kMargin)
        top = kMargin;

    // A menu whose window failed has nothing to show and nothing could ever
    // end its loop: report it as not run.
    if (!m_hWnd)
        return -1;
    MoveWindow(m_hWnd, left, top, m_nWidth, m_nHeight, FALSE);
    ShowWindow(m_hWnd, SW_SHOW);
    // A popup opened from a tray icon belongs to a background program: only
    // the foreground lets a click elsewhere take its focus away and close it.
    SetForegroundWindow(m_hWnd);
    // If the popup was closed already (it lost the focus while being shown),
    // the loop returns Close's 0 at once.
    return RunModalLoop(0);
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

void CMenuEx::HitTest(POINT point)
{
    const int oldHot = m_nHotItem;
    m_nHotItem = -1;
    int y = kMargin;
    for (int i = 0; i < m_arrItems.GetSize(); ++i) {
        const int rowHeight = m_arrItems[i]->nHeight + kMargin;
        const RECT row{0, y, m_nWidth, y + rowHeight};
        if (PtInRect(&row, point))
            m_nHotItem = i;
        y += rowHeight;
    }
    // The paint covers everything from its off-screen bitmap: no erase.
    if (m_nHotItem != oldHot)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMenuEx::OnMouseMove(UINT, POINT point)
{
    HitTest(point);
    Default();
}

void CMenuEx::OnTimer(UINT_PTR nIDEvent)
{
    // The pointer can leave the popup without another WM_MOUSEMOVE reaching
    // it; polling drops the highlight then.
    if (nIDEvent == IDT_HOVER) {
        KillTimer(IDT_HOVER);
        POINT pt{};
        GetCursorPos(&pt);
        ScreenToClient(m_hWnd, &pt);
        HitTest(pt);
        SetTimer(IDT_HOVER, kHoverPeriodMs);
    }
    Default();
}

void CMenuEx::OnLButtonUp(UINT, POINT)
{
    // The choice is what the last hit test left, not where the button went up.
    if (m_nHotItem < 0 || m_nHotItem >= m_arrItems.GetSize()) {
        Default();
        return;
    }
    const MenuExItem* item = m_arrItems[m_nHotItem];
    if (item->nFlags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED))
        return;
    // Posted: the owner acts once the popup is gone and Track has returned.
    PostMessageA(m_hWndOwner, WM_COMMAND, item->nID, 0);
    Close();
}

void CMenuEx::OnKillFocus(HWND)
{
    Default();
    Close();
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
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
