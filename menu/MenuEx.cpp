// Placeholder until the popup menu lands.
#include "menu/MenuEx.h"

CMenuEx::CMenuEx()
    : m_hWndOwner(nullptr), m_nHotItem(-1), m_nMaxTextWidth(0), m_nTextHeight(0), m_nHeight(5), m_nWidth(0)
{
}
CMenuEx::~CMenuEx()
{
    Close();
    for (int i = 0; i < m_arrItems.GetSize(); ++i)
        delete m_arrItems[i];
    m_arrItems.RemoveAll();
}
BOOL CMenuEx::Create(HWND hWndOwner) { m_hWndOwner = hWndOwner; return FALSE; }
void CMenuEx::AddItem(UINT nFlags, UINT nID, LPCSTR pszText, HICON hIcon, BOOL bBold)
{
    auto* item = new MenuExItem();
    if (pszText)
        lstrcpynA(item->szText, pszText, sizeof item->szText);
    item->nFlags = nFlags;
    item->nID = nID;
    item->hIcon = hIcon;
    item->bBold = bBold;
    m_arrItems.Add(item);
}
void CMenuEx::AddSeparator() { AddItem(MF_SEPARATOR, 0, nullptr, nullptr, FALSE); }
int CMenuEx::Track(UINT, int, int, CWnd*, const RECT*) { return RunModalLoop(); }
BOOL CMenuEx::Close()
{
    if (!m_hWnd)
        return FALSE;
    EndModalLoop(0);
    return DestroyWindow();
}
bool CMenuEx::IsLiveMenu(const void*) { return false; }
void CMenuEx::Paint(HDC) {}
void CMenuEx::OnKillFocus(HWND) {}
void CMenuEx::OnPaint() {}
void CMenuEx::OnMouseMove(UINT, POINT) {}
void CMenuEx::OnLButtonUp(UINT, POINT) {}
void CMenuEx::OnTimer(UINT_PTR) {}
void CMenuEx::HitTest(POINT) {}
LRESULT CMenuEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CWnd::WindowProc(message, wParam, lParam);
}
