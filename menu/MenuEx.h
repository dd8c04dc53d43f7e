#pragma once
#include "framework/Gdi.h"
#include "framework/PtrArray.h"
#include "framework/Wnd.h"
#include "menu/MenuGeometry.h"
#include "menu/MenuIconSource.h"

// One item of a popup. Zero-filled when allocated.
struct MenuExItem {
    UINT nFlags;        // MF_GRAYED, MF_DISABLED, MF_SEPARATOR
    UINT nID;
    WCHAR szText[100];   // at most 99 UTF-16 code units, never half a pair
    HICON hIcon;        // borrowed
    int nTextWidth;     // of what is shown: the text, or its cut and the ellipsis
    int nHeight;
    BOOL bBold;
    int nShown;         // code units shown; fewer than the text has when it ends in "…"
    BOOL bAskIcon;      // no icon yet: the icon source is asked once the row is in view
};

// Separators, grey and disabled rows are passed by and never chosen.
inline bool CanBeChosen(const MenuExItem& item)
{
    return !(item.nFlags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
}

// The hover timer of an open popup.
constexpr UINT_PTR IDT_HOVER = 10;
// Scrolls the list while the pointer rests on the strip above or below it.
constexpr UINT_PTR IDT_SCROLL = 12;

// An owner-painted topmost popup that stands in for a menu: built for one
// popup, shown at a point, run in its own modal loop, thrown away.
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

    BOOL Create(HWND hWndOwner);
    void AddItem(UINT nFlags, UINT nID, LPCWSTR pszText, HICON hIcon, BOOL bBold);
    void AddSeparator();
    // The rows added so far are the list; the ones added after it stay in
    // view.
    void BeginFixedRows();
    // Rows added from now on without an icon take theirs from the source
    // when they come into view (null: rows added later do not ask; those
    // added before still ask the source they were added with). The source
    // must outlive the popup.
    void SetIconSource(CMenuIconSource* pSource)
    {
        m_bAskNewRows = pSource != nullptr;
        if (pSource)
            m_pIconSource = pSource;
    }
    int Track(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* pRect);
    BOOL Close();

    // Track's steps, apart for the benchmarks: sizes and places the popup
    // for the point, then shows it there.
    void Layout(POINT pt);
    void Show();

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
    void OnKeyDown(UINT vk);
    void OnChar(WCHAR ch);
    void OnMouseWheel(int nDelta);

    HWND m_hWndOwner;
    int m_nHotItem;
    CFont m_fontNormal;
    CFont m_fontBold;
    CTypedPtrArray<MenuExItem> m_arrItems;
    int m_nMaxTextWidth;
    int m_nTextHeight;
    int m_nHeight;
    int m_nWidth;
    RECT m_rcWindow{};      // where Layout placed the popup, screen coordinates
    MenuMetrics m_metrics;  // of the monitor the popup is made for
    RECT m_rcWork{};        // that monitor's work area
    int m_nFixedFirst = -1; // the first row after the list; -1: no list
    WCHAR m_szFilter[64] = {};
    bool m_bScrolls = false;
    int m_nTop = 0;         // the first list row in view

    // What the rows in view are, for the tests: -2 the typed filter's row,
    // -3 the row that says nothing matches, else an item's index.
    static constexpr int kRowFilter = -2;
    static constexpr int kRowNoMatch = -3;
    int RowCount() const { return m_pnRows ? m_nRows : m_arrItems.GetSize(); }
    int ItemOfRow(int nRow) const { return m_pnRows ? m_pnRows[nRow] : nRow; }
    // The row under a client point (-1 for none), and the strips: 1 for the
    // one above the list, 2 below.
    int RowAt(POINT pt, int* pnStrip = nullptr) const;
    // The top of a row in client coordinates, or INT_MIN when it is out of view.
    int RowTop(int nRow) const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Measurement (MenuEx.cpp).
    void UseMonitor(int nDpi, const RECT& rcWork);
    void MeasureItem(MenuExItem& item);
    HDC MeasureDC(BOOL bBold);
    void ReleaseMeasureDC();
    int TextLimit() const;

    // The rows as shown and the list's scrolling (MenuExView.cpp).
    struct Span {
        int nFirst, nEnd;   // rows [nFirst, nEnd), one under the other
        int nTop;           // of the first
    };
    // The runs of rows in view, top to bottom: the filter's, the list's part
    // in view, the fixed rows. Returns how many of the three there are.
    int SpansInView(Span* pSpans) const;
    template <class Found>
    int FindInView(Found bFound) const;
    int StripTop(bool bUp) const;
    bool CanScroll(bool bUp) const;
    bool BuildRows();
    void FitRows(bool bOpening);
    void Refilter();
    int RowHeight(int nItem) const;
    int ListTop() const;
    int HeadHeight() const;
    void ScrollBy(int nRows);
    void ScrollToItem(int nItem);
    int PageRows() const;
    void AskIcons();
    bool HasList() const { return m_nFixedFirst >= 0; }

    // Input (MenuExInput.cpp).
    void HitTest(POINT point);
    bool PointerStill(POINT ptScreen) const;
    void SetHotByKeys(int nItem);
    void Choose(int nItem);

    // Painting (MenuExPaint.cpp).
    // The icon surface of one paint: the rendering at twice the size shown
    // on its left, the last icon as shown on its right. Rows that show the
    // icon last shown, on the same colour, copy it from there.
    struct IconSurface {
        HDC dc;
        HICON hIcon;        // shown last; null: none yet
        COLORREF rowColor;
    };
    void DrawItemRow(HDC dc, IconSurface& icons, int nItem, int top);
    void DrawIconAt(HDC dc, IconSurface& icons, HICON hIcon, int y, COLORREF rowColor) const;
    void DrawFilterRow(HDC dc, int top);
    void DrawNoMatchRow(HDC dc, int top);
    void DrawStrip(HDC dc, int top, bool bUp, bool bActive);

    // Set while Close destroys the window: the focus leaves a window that is
    // being destroyed, and the Close that WM_KILLFOCUS runs must not destroy
    // it a second time.
    bool m_bClosing = false;

    HDC m_hMeasureDC = nullptr;
    HGDIOBJ m_hMeasureOldFont = nullptr;
    BOOL m_bMeasureBold = FALSE;

    CMenuIconSource* m_pIconSource = nullptr;
    bool m_bAskNewRows = false;
    POINT m_ptAnchor{};        // the point the popup opens at
    int* m_pnRows = nullptr;   // rows as shown, once laid out
    int* m_pnListHeights = nullptr;
    int m_nRows = 0;
    int m_nRowsRoom = 0;
    int m_nHeadRows = 0;       // rows above the list: the filter's
    int m_nListRows = 0;
    int m_nViewport = 0;       // pixels of list rows in view
    bool m_bInsideWork = false; // placed wholly inside the work area

    // The highlight follows whichever moved last: the keys, until the
    // pointer leaves the place it had when they moved it.
    bool m_bKeysLead = false;
    POINT m_ptKeys{};
    int m_nWheel = 0;          // wheel movement not yet a whole notch
    bool m_bAutoScroll = false; // IDT_SCROLL runs
};
