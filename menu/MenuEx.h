#pragma once
#include "framework/Gdi.h"
#include "framework/PtrArray.h"
#include "framework/Wnd.h"

// One item of a popup. Zero-filled when allocated.
struct MenuExItem {
    UINT nFlags;        // MF_GRAYED, MF_DISABLED, MF_SEPARATOR
    UINT nID;
    WCHAR szText[100];   // at most 99 UTF-16 code units, never half a pair
    HICON hIcon;        // borrowed
    int nTextWidth;
    int nHeight;
    BOOL bBold;
};

// The hover timer of an open popup.
constexpr UINT_PTR IDT_HOVER = 10;

// An owner-painted topmost popup that stands in for a menu: built for one
// popup, shown at a point, run in its own modal loop, thrown away.
class CMenuEx : public CWnd {
public:
    CMenuEx();
    ~CMenuEx() override;

    BOOL Create(HWND hWndOwner);
    void AddItem(UINT nFlags, UINT nID, LPCWSTR pszText, HICON hIcon, BOOL bBold);
    void AddSeparator();
    int Track(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* pRect);
    BOOL Close();

    // TRUE when p is a menu of this process that exists now. Lets a receiver
    // of a menu's address in a message check it without dereferencing it.
    static bool IsLiveMenu(const void* p);

    // The menu at this address if it may be filled for a request from the
    // window hWndOwner, else null. The address may come from anywhere (any
    // program can send the request); it is checked against the live menus
    // before it is used at all.
    static CMenuEx* ToFill(const void* address, HWND hWndOwner);

    // Renders the whole popup into any DC (the paint context, or a memory DC
    // in the tests).
    void Paint(HDC dc);

    void OnKillFocus(HWND hWndNew);
    void OnPaint();
    void OnMouseMove(UINT nFlags, POINT point);
    void OnLButtonUp(UINT nFlags, POINT point);
    void OnTimer(UINT_PTR nIDEvent);

    HWND m_hWndOwner;
    int m_nHotItem;
    CFont m_fontNormal;
    CFont m_fontBold;
    CTypedPtrArray<MenuExItem> m_arrItems;
    int m_nMaxTextWidth;
    int m_nTextHeight;
    int m_nHeight;
    int m_nWidth;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void HitTest(POINT point);
    void DrawIconAt(HDC dc, HDC iconDC, HICON hIcon, int y, COLORREF rowColor) const;

    // Set while Close destroys the window: the focus leaves a window that is
    // being destroyed, and the Close that WM_KILLFOCUS runs must not destroy
    // it a second time.
    bool m_bClosing = false;
};
