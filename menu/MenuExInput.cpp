// What the pointer, the wheel and the keys do while the popup is open.
#include "menu/MenuEx.h"

#include "framework/Text.h"
#include "menu/MenuKeys.h"
#include "menu/MenuText.h"

#include <climits>
#include <new>

namespace {

constexpr UINT kHoverPeriodMs = 200;
constexpr UINT kScrollPeriodMs = 50;   // a row every 50 ms while the pointer rests on a strip

}  // namespace

void CMenuEx::HitTest(POINT point)
{
    const int oldHot = m_nHotItem;
    int strip = 0;
    const int row = RowAt(point, &strip);
    // The typed text's row and the one saying nothing matches are no items.
    m_nHotItem = row >= 0 ? ItemOfRow(row) : -1;
    if (m_nHotItem < -1)
        m_nHotItem = -1;
    // The paint covers everything from its off-screen bitmap: no erase.
    if (m_nHotItem != oldHot)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    // Resting on a strip scrolls the list that way.
    if (strip && CanScroll(strip == 1) && !m_bAutoScroll && m_hWnd) {
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
    if (nItem != m_nHotItem) {
        m_nHotItem = nItem;
        if (m_hWnd)
            InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    ScrollToItem(nItem);
}

void CMenuEx::Choose(int nItem)
{
    // Posted: the owner acts once the popup is gone and Track has returned.
    PostMessageA(m_hWndOwner, WM_COMMAND, m_arrItems[nItem]->nID, 0);
    Close();
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
        RowAt(pt, &strip);
        if (strip && CanScroll(strip == 1)) {
            ScrollBy(strip == 1 ? -1 : 1);
        } else {
            KillTimer(IDT_SCROLL);
            m_bAutoScroll = false;
        }
    }
    Default();
}

void CMenuEx::OnMouseWheel(int nDelta)
{
    if (!m_bScrolls) {
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
    const int rows = lines == WHEEL_PAGESCROLL ? PageRows() : static_cast<int>(lines);
    ScrollBy(-notches * rows);
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
    if (m_nHotItem < 0 || m_nHotItem >= m_arrItems.GetSize()) {
        Default();
        return;
    }
    if (!CanBeChosen(*m_arrItems[m_nHotItem]))
        return;
    Choose(m_nHotItem);
}

void CMenuEx::OnKeyDown(UINT vk)
{
    if (vk == VK_BACK) {
        if (HasList() && EraseTyped(m_szFilter))
            Refilter();
        return;
    }
    const int nRows = RowCount();
    auto* choosable = new (std::nothrow) bool[nRows > 0 ? nRows : 1];
    if (!choosable) {
        Default();
        return;
    }
    int hotRow = -1;
    for (int row = 0; row < nRows; ++row) {
        const int item = ItemOfRow(row);
        choosable[row] = item >= 0 && CanBeChosen(*m_arrItems[item]);
        if (item >= 0 && item == m_nHotItem)
            hotRow = row;
    }
    const MenuKeyResult result = KeyInMenu(vk, choosable, nRows, hotRow, PageRows());
    delete[] choosable;
    switch (result.action) {
    case MenuKeyAction::Move:
        SetHotByKeys(ItemOfRow(result.nRow));
        break;
    case MenuKeyAction::Choose:
        Choose(m_nHotItem);
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
    // Typing filters the list; control characters are keys, seen as such.
    if (!HasList() || ch < 0x20 || ch == 0x7F) {
        Default();
        return;
    }
    // The first half of a pair waits for its second.
    if (AddTyped(m_szFilter, ARRAYSIZE(m_szFilter), ch) && !IsHighSurrogate(ch))
        Refilter();
}

void CMenuEx::OnKillFocus(HWND)
{
    Default();
    Close();
}
