#pragma once
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "menu/MenuMonitor.h"
#include "menu/MenuRows.h"

// The hover timer of an open popup.
constexpr UINT_PTR IDT_HOVER = 10;
constexpr UINT kHoverPeriodMs = 200;
// Scrolls the list while the pointer rests on the strip above or below it.
constexpr UINT_PTR IDT_SCROLL = 12;
// Asks again for the icons recalled for the rows, once the popup is painted.
constexpr UINT_PTR IDT_RECALLED = 13;

// An owner-painted topmost popup that stands in for a menu: made for one
// popup, shown at a point, run in its own modal loop, thrown away. What it
// shows is its rows (CMenuRows); this class is the window around them: its
// life, its place on the screen, the pointer and the keys, the painting.
//
// The window itself outlives the object: the process keeps one popup
// window, hidden while no popup is open, and each popup takes it for its
// life. A popup made while another still holds it gets a window of its own.
//
// A composer may mark its first rows as a list (BeginFixedRows): when the
// popup does not fit the work area of its monitor, the list scrolls and the
// rows after it stay in view, and typing filters the list by its texts.
// Both menus take the keyboard: the arrows, Home, End, Page Up and Page Down
// move the highlight, Enter chooses, Escape closes.
class CMenuEx : public CWnd {
public:
    CMenuEx();
    ~CMenuEx() override;

    // Sized for the monitor at the point the popup will open at, when the
    // caller knows it, else for the one under the pointer.
    BOOL Create(HWND hWndOwner, const POINT* pptOpen = nullptr);
    void AddItem(UINT nFlags, UINT nID, LPCWSTR pszText, HICON hIcon, BOOL bBold);
    void AddSeparator();
    // The rows added so far are the list; the ones added after it stay in
    // view.
    void BeginFixedRows() { m_rows.EndList(); }
    // Rows added from now on without an icon take theirs from the source
    // when they come into view (CMenuRows::SetIconSource).
    void SetIconSource(CMenuIconSource* pSource) { m_rows.SetIconSource(pSource); }
    int Track(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* pRect);
    // Ends the loop and hides the window, which goes back to the process
    // for the next popup; the object has no window afterwards.
    BOOL Close();

    // Track's steps, apart for the benchmarks: sizes and places the popup
    // for the point, shows it there, and (once it is painted) brings it to
    // the foreground with the focus.
    void Layout(POINT pt);
    void Show();
    void Activate();

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

    const CMenuRows& Rows() const { return m_rows; }
    // The window its choice is posted to.
    HWND Owner() const { return m_hWndOwner; }
    HFONT Font(bool bBold) const { return bBold ? m_fontBold.GetSafeHandle() : m_fontNormal.GetSafeHandle(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The rows, for a test that sets up what it paints or places.
    CMenuRows& MutableRows() { return m_rows; }

private:
    // The window's life (MenuEx.cpp).
    bool TakeKeptWindow(HWND hWndParent);
    void Place();

    // Measurement (MenuExMeasure.cpp).
    void UseFonts();
    void UseMonitor(const MenuMonitor& monitor);
    void UseMonitorUnderPointer();
    void MeasureItem(MenuExItem& item);
    HDC MeasureDC(BOOL bBold);
    void ReleaseMeasureDC();
    int TextLimit() const;

    // Input (MenuExInput.cpp).
    void OnKillFocus(HWND hWndNew);
    void OnMouseMove(UINT nFlags, POINT point);
    void OnLButtonUp(UINT nFlags, POINT point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnKeyDown(UINT vk);
    void OnChar(WCHAR ch);
    void OnMouseWheel(int nDelta);
    void HitTest(POINT point);
    bool PointerStill(POINT ptScreen) const;
    void SetHotByKeys(int nItem);
    void Choose(int nItem);
    void Refilter();
    void Invalidate();

    // Painting (MenuExPaint.cpp).
    void OnPaint();
    void Render(HDC dc, bool bOffScreen);
    // The icons' working square of one paint, a bitmap of its own: the
    // rendering at twice the size shown on its left, the last icon as shown
    // on its right. Rows that show the icon last shown, on the same colour,
    // copy it from there.
    struct IconSurface {
        HDC dc;             // the square's; null: none could be made
        HICON hIcon;        // shown last; null: none yet
        COLORREF rowColor;
    };
    void DrawRows(HDC dc, const RECT& clip, IconSurface& icons);
    void DrawItemRow(HDC dc, IconSurface& icons, int nItem, int top);
    void DrawIconAt(HDC dc, IconSurface& icons, HICON hIcon, int y, COLORREF rowColor) const;
    void DrawCheck(HDC dc, int y, COLORREF color) const;
    void DrawFilterRow(HDC dc, int top);
    void DrawNoMatchRow(HDC dc, int top);
    void DrawStrip(HDC dc, int top, bool bUp, bool bActive);

    CMenuRows m_rows;
    HWND m_hWndOwner = nullptr;
    CFont m_fontNormal;
    CFont m_fontBold;

    // Where it opens: the monitor it is made for (none yet: an empty work
    // area), the point, and the place found for it there.
    MenuMonitor m_monitor{};
    POINT m_ptAnchor{};
    RECT m_rcWindow{};
    bool m_bInsideWork = false;   // placed wholly inside the work area
    bool m_bUnpainted = false;    // shown, and not painted since

    HDC m_hMeasureDC = nullptr;
    HGDIOBJ m_hMeasureOldFont = nullptr;
    BOOL m_bMeasureBold = FALSE;

    // Set while Close hides or destroys the window: the focus leaves it on
    // the way, and the Close that WM_KILLFOCUS runs must do nothing.
    bool m_bClosing = false;

    // The highlight follows whichever moved last: the keys, until the
    // pointer leaves the place it had when they moved it.
    bool m_bKeysLead = false;
    POINT m_ptKeys{};
    int m_nWheel = 0;          // wheel movement not yet a whole notch
    bool m_bAutoScroll = false; // IDT_SCROLL runs
    bool m_bRecallTimer = false; // IDT_RECALLED runs
};
