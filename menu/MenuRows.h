#pragma once
#include "framework/PtrArray.h"
#include "menu/MenuGeometry.h"
#include "menu/MenuIconSource.h"
#include "menu/MenuKeys.h"

// One item of a popup. Zero-filled when allocated.
struct MenuExItem {
    UINT nFlags;        // MF_GRAYED, MF_DISABLED, MF_SEPARATOR, MF_CHECKED
    UINT nID;
    WCHAR szText[100];   // at most 99 UTF-16 code units, never half a pair
    HICON hIcon;        // borrowed
    int nTextWidth;     // of what is shown: the text, or its cut and the ellipsis
    int nHeight;
    BOOL bBold;
    int nShown;         // code units shown; fewer than the text has when it ends in "…"
    BOOL bAskIcon;      // no icon yet: the icon source is asked once the row is in view
    BOOL bRecalled;     // its icon is the source's memory: asked again once the popup is shown
};

// Separators, grey and disabled rows are passed by and never chosen.
inline bool CanBeChosen(const MenuExItem& item)
{
    return !(item.nFlags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
}

// A row that says it is on shows a check mark where rows show their icons.
inline bool IsChecked(const MenuExItem& item)
{
    return (item.nFlags & (MF_CHECKED | MF_SEPARATOR)) == MF_CHECKED;
}

// The rows of a popup as it shows them, with no window: its items, measured
// by whoever adds them; the list that scrolls and that typing filters; the
// rows in view; the highlight; which rows can be chosen. Positions are in the
// popup's client coordinates and sizes come from its metrics, so the tests
// drive all of it with plain calls.
class CMenuRows {
public:
    // Rows in view that are no items: the typed filter's, and the one that
    // says nothing matches.
    static constexpr int kRowFilter = -2;
    static constexpr int kRowNoMatch = -3;

    CMenuRows();
    ~CMenuRows();
    CMenuRows(const CMenuRows&) = delete;
    CMenuRows& operator=(const CMenuRows&) = delete;

    // --- Items, as they are added -------------------------------------------
    // Takes a measured item (nTextWidth, nHeight, nShown) and grows the
    // popup by its row. With no room for it, the item is freed and the popup
    // goes without that row (false).
    bool Add(MenuExItem* pItem);
    int ItemCount() const { return m_arrItems.GetSize(); }
    const MenuExItem& Item(int nItem) const { return *m_arrItems[nItem]; }
    // For measuring again at another DPI; Remeasured follows.
    MenuExItem& Item(int nItem) { return *m_arrItems[nItem]; }
    // The items added so far are the list; those added later stay in view.
    void EndList() { m_nFixedFirst = ItemCount(); }
    bool HasList() const { return m_nFixedFirst >= 0; }
    // Items added from now on without an icon take theirs from the source
    // once they come into view (null: they do not ask; items added before
    // still ask the source they were added with). It must outlive the rows.
    void SetIconSource(CMenuIconSource* pSource);

    // --- Sizes ----------------------------------------------------------------
    const MenuMetrics& Metrics() const { return m_metrics; }
    // Other sizes; the items are then measured again and Remeasured called.
    void SetMetrics(const MenuMetrics& metrics) { m_metrics = metrics; }
    // Widest text and height again from the items' measured sizes.
    void Remeasured();
    // The text height measured last sizes the highlight of every row.
    int TextHeight() const { return m_nTextHeight; }
    void SetTextHeight(int nHeight) { m_nTextHeight = nHeight; }
    int MaxTextWidth() const { return m_nMaxTextWidth; }
    // The popup's size: until Open, its width is 0 and its height lacks the
    // bottom margin.
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    // --- Opening and the rows as shown --------------------------------------
    // Sizes the popup for a work area nMaxHeight tall: as wide as its widest
    // text and the insets on both sides, and as tall as all its rows when
    // they fit; otherwise the list gets the room the other rows leave, and
    // scrolls. Once per popup.
    void Open(int nMaxHeight);
    int RowCount() const { return m_pnRows ? m_nRows : ItemCount(); }
    // An item's index, or kRowFilter or kRowNoMatch.
    int ItemOfRow(int nRow) const { return m_pnRows ? m_pnRows[nRow] : nRow; }
    // The row under a client point, or -1; the strips of a list that
    // scrolls are no rows: *pnStrip is 1 on the one above it, 2 below.
    int RowAt(POINT pt, int* pnStrip = nullptr) const;
    // The item under a client point, or -1.
    int ItemAt(POINT pt, int* pnStrip = nullptr) const;
    // The top of a row in client coordinates, or INT_MIN when it is out of view.
    int RowTop(int nRow) const;
    // The height of an item's row, or of a row that is no item.
    int RowHeight(int nItem) const;

    // The runs of rows in view, top to bottom: the filter's, the list's part
    // in view, the fixed rows. Returns how many of the three there are.
    struct Span {
        int nFirst, nEnd;   // rows [nFirst, nEnd), one under the other
        int nTop;           // of the first
        bool bList;         // the list's run, between the strips when it scrolls
    };
    int SpansInView(Span* pSpans) const;

    // --- Scrolling ------------------------------------------------------------
    bool Scrolls() const { return m_bScrolls; }
    int Top() const { return m_nTop; }   // the first list row in view
    int StripTop(bool bUp) const;
    bool CanScroll(bool bUp) const;
    // Each answers whether the rows in view changed.
    bool ScrollBy(int nRows);
    bool ScrollToItem(int nItem);
    // Rows a page moves: those of the list in view, one at least.
    int PageRows() const;

    // --- The typed filter -----------------------------------------------------
    LPCWSTR Filter() const { return m_szFilter; }
    // Only a popup with a list takes typing, and control characters are
    // keys. Type and Erase answer whether the rows must be shown anew
    // (Refilter); the first half of a surrogate pair waits for its second.
    bool TakesTyping(WCHAR ch) const;
    bool Type(WCHAR ch);
    bool Erase();
    // The rows again for the filter, from the list's top, fitted to the work
    // area; returns the first match that can be chosen, or -1.
    int Refilter(int nMaxHeight);

    // --- The highlight and the choice -----------------------------------------
    int Hot() const { return m_nHot; }
    // Answers whether it changed. Any number is kept; one that names no item
    // highlights nothing and chooses nothing.
    bool SetHot(int nItem);
    bool CanChoose(int nItem) const;
    // What a key does to the rows as shown (MenuKeys), nRow a row.
    MenuKeyResult Key(UINT vk) const;

    // --- Icons recalled -------------------------------------------------------
    // Whether some row shows an icon its source recalled; AskAgain asks the
    // source for each of them now and answers whether any of them changed.
    bool HasRecalled() const { return m_nRecalled > 0; }
    bool AskAgain();

private:
    template <class Found>
    int FindInView(Found bFound) const;
    int ListTop() const;
    int HeadHeight() const;
    bool BuildRows();
    void Fit(bool bOpening, int nMaxHeight);
    void AskIcons();

    CTypedPtrArray<MenuExItem> m_arrItems;
    MenuMetrics m_metrics;
    int m_nMaxTextWidth = 0;
    int m_nTextHeight = 0;
    int m_nWidth = 0;
    int m_nHeight;
    int m_nFixedFirst = -1;    // the first row after the list; -1: no list
    CMenuIconSource* m_pIconSource = nullptr;
    bool m_bAskNewRows = false;
    int m_nRecalled = 0;       // items whose bRecalled is set

    WCHAR m_szFilter[64] = {};
    int* m_pnRows = nullptr;   // rows as shown, once opened
    int* m_pnListHeights = nullptr;
    int m_nRows = 0;
    int m_nRowsRoom = 0;
    int m_nHeadRows = 0;       // rows above the list: the filter's
    int m_nListRows = 0;
    int m_nViewport = 0;       // pixels of list rows in view
    bool m_bScrolls = false;
    int m_nTop = 0;
    int m_nHot = -1;
};
