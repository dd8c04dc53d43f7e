// What the pointer, the wheel and the keys do while the popup is open.
#include "menu/MenuEx.h"

#include <climits>

namespace {

constexpr UINT kScrollPeriodMs = 50;   // a row every 50 ms while the pointer rests on a strip

}  // namespace

// The paint covers everything from its off-screen bitmap: no erase.
void CMenuEx::Invalidate()
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMenuEx::HitTest(POINT point)
{
    int strip = 0;
    if (m_rows.SetHot(m_rows.ItemAt(point, &strip)))
        Invalidate();
    // Resting on a strip scrolls the list that way.
    if (strip && m_rows.CanScroll(strip == 1) && !m_bAutoScroll && m_hWnd) {
        m_bAutoScroll = true;
        SetTimer(IDT_SCROLL, kScrollPeriodMs);
    }
}

// While the keys lead, the pointer does not take the highlight back until
// it moves away from where it was when they took it.
bool CMenuEx::PointerStill(POINT ptScreen) const
{
    return m_bKeysLead && ptScreen.x == m_ptKeys.x && ptScreen.y == m_ptKeys.y;
}

void CMenuEx::SetHotByKeys(int nItem)
{
    m_bKeysLead = true;
    GetCursorPos(&m_ptKeys);
    if (m_rows.SetHot(nItem))
        Invalidate();
    if (m_rows.ScrollToItem(nItem))
        Invalidate();
}

void CMenuEx::Choose(int nItem)
{
    // Posted: the owner acts once the popup is gone and Track has returned.
    PostMessageA(m_hWndOwner, WM_COMMAND, m_rows.Item(nItem).nID, 0);
    Close();
}

// After the typed text changed: the list again, from its first row, the
// first match highlighted; the popup takes the height of what it shows,
// opening from its point as before.
void CMenuEx::Refilter()
{
    const int first = m_rows.Refilter(m_monitor.rcWork.bottom - m_monitor.rcWork.top);
    Place();
    if (m_hWnd)
        SetWindowPos(m_hWnd, nullptr, m_rcWindow.left, m_rcWindow.top, m_rows.Width(), m_rows.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
    SetHotByKeys(first);
}

void CMenuEx::OnMouseMove(UINT, POINT point)
{
    // Asked of the pointer itself, not of the message: a move still queued
    // when the keys moved the highlight reports a place the pointer has left.
    POINT now{};
    GetCursorPos(&now);
    if (!PointerStill(now)) {
        m_bKeysLead = false;
        HitTest(point);
    }
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
        if (!PointerStill(pt)) {
            m_bKeysLead = false;
            ScreenToClient(m_hWnd, &pt);
            HitTest(pt);
        }
        SetTimer(IDT_HOVER, kHoverPeriodMs);
    } else if (nIDEvent == IDT_SCROLL) {
        POINT pt{};
        GetCursorPos(&pt);
        ScreenToClient(m_hWnd, &pt);
        int strip = 0;
        m_rows.RowAt(pt, &strip);
        if (strip && m_rows.CanScroll(strip == 1)) {
            if (m_rows.ScrollBy(strip == 1 ? -1 : 1))
                Invalidate();
        } else {
            KillTimer(IDT_SCROLL);
            m_bAutoScroll = false;
        }
    } else if (nIDEvent == IDT_RECALLED) {
        KillTimer(IDT_RECALLED);
        m_bRecallTimer = false;
        if (m_rows.AskAgain())
            Invalidate();
    }
    Default();
}

void CMenuEx::OnMouseWheel(int nDelta)
{
    if (!m_rows.Scrolls()) {
        Default();
        return;
    }
    // Whole notches only: a fine wheel adds up its small steps first.
    m_nWheel += nDelta;
    const int notches = m_nWheel / WHEEL_DELTA;
    m_nWheel -= notches * WHEEL_DELTA;
    if (!notches)
        return;
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int rows = lines == WHEEL_PAGESCROLL ? m_rows.PageRows() : static_cast<int>(lines);
    if (m_rows.ScrollBy(-notches * rows))
        Invalidate();
    // The rows moved under the pointer: it leads again, from where it is.
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(m_hWnd, &pt);
    m_bKeysLead = false;
    HitTest(pt);
}

void CMenuEx::OnLButtonUp(UINT, POINT point)
{
    // A click after the keys moved the highlight is about what is under the
    // pointer.
    if (m_bKeysLead) {
        m_bKeysLead = false;
        HitTest(point);
    }
    // The choice is what the last hit test left, not where the button went up.
    const int hot = m_rows.Hot();
    if (hot < 0 || hot >= m_rows.ItemCount()) {
        Default();
        return;
    }
    if (m_rows.CanChoose(hot))
        Choose(hot);
}

void CMenuEx::OnKeyDown(UINT vk)
{
    if (vk == VK_BACK) {
        if (m_rows.Erase())
            Refilter();
        return;
    }
    const MenuKeyResult result = m_rows.Key(vk);
    switch (result.action) {
    case MenuKeyAction::Move:
        SetHotByKeys(m_rows.ItemOfRow(result.nRow));
        break;
    case MenuKeyAction::Choose:
        Choose(m_rows.Hot());
        break;
    case MenuKeyAction::Close:
        Close();
        break;
    case MenuKeyAction::None:
        Default();
        break;
    }
}

void CMenuEx::OnChar(WCHAR ch)
{
    if (!m_rows.TakesTyping(ch)) {
        Default();
        return;
    }
    if (m_rows.Type(ch))
        Refilter();
}

void CMenuEx::OnKillFocus(HWND)
{
    Default();
    Close();
}
