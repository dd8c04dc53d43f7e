#pragma once
#include <windows.h>

// The popup's geometry as plain functions of sizes and rectangles: its
// sizes at a DPI, where it opens in a work area, and which rows of its list
// are in view when the list scrolls. Nothing here needs a window.

// Sizes of the popup at one DPI. At 96 they are the menu's own numbers
// (in brackets); at any other DPI each scales with it.
struct MenuMetrics {
    int nDpi;
    int nFontHeight;     // [13] character cell of both fonts
    int nMargin;         // [5] above the first row and below the last; least top edge
    int nRowGap;         // [5] under each row's content
    int nTextLeft;       // [21] left edge of the text; separator inset; least left edge
    int nSeparatorLine;  // [2] the separator's line below its row's top
    int nHotAbove;       // [2] the highlight starts this far above a row's text
    int nHotRightGap;    // [7] the highlight stops this far short of the width
    int nIconLeft;       // [2]
    int nIconSize;       // [16] icons are shown this big, shrunk from twice the size
    int nLine;           // [1] width of lines: separators, the highlight's frame
    int nStrip;          // [12] height of the strip above and below a list that scrolls
};

// Pixels at 96 DPI to pixels at nDpi, rounded to the nearest.
int ScaleForDpi(int nPixels, int nDpi);

// The menu's sizes at nDpi, for a font whose cell measures nCellHeight at
// that DPI (0: not measured, taken as scaled). A text row is as tall as its
// scaled 96-DPI row (18 pixels: 13 of text, 5 of gap), whatever the font's
// rounding, so rows at 144 DPI are half as tall again; the gap is never less
// than its scaled 5. Lines stay one pixel until they can be a whole two.
MenuMetrics MetricsForDpi(int nDpi, int nCellHeight = 0);

// Where a popup of this size opens for a point: its bottom-right corner at
// the point, kept nLeastLeft and nLeastTop pixels off the screen's left and
// top edges, as it always was. Where that leaves its left or top edge
// outside the work area (a taskbar on the left or top, a monitor right of
// or below its neighbour), the work area's edge is the least one instead;
// where the old clamp would carry it off the work area (onto the primary
// monitor from one left of or above it), it stays at the point. Its right
// and bottom edges stay at the point, which may be on the taskbar, unless
// bInside: a popup sized to its work area lies wholly inside it, the left
// and top edges winning.
RECT PlaceMenu(POINT pt, SIZE size, const RECT& rcWork, int nLeastLeft, int nLeastTop, bool bInside = false);

// The vertical space of a popup whose middle rows form a list that scrolls
// when everything does not fit in nMaxHeight: above the list nHead pixels
// of rows, below it nFixed pixels of rows that stay in view, and a margin
// above and below everything. A list that scrolls gets a strip of nStrip
// pixels above and below it, and as many whole rows from its start as fit.
struct ListSpace {
    bool bScrolls;
    int nViewport;   // pixels for list rows (all of them when nothing scrolls)
    int nHeight;     // of the whole popup
};
ListSpace FitList(int nHead, const int* pnRows, int nRows, int nFixed, int nMargin, int nStrip, int nMaxHeight);

// How many list rows from nTop are wholly in a viewport of nViewport pixels
// (one at least while rows are left).
int RowsInView(const int* pnRows, int nRows, int nTop, int nViewport);

// The greatest first row: the one from which the last rows just fill the
// viewport.
int LastTop(const int* pnRows, int nRows, int nViewport);

// nTop kept between the first row and LastTop.
int ClampTop(const int* pnRows, int nRows, int nTop, int nViewport);

// The first row in view once nRow is scrolled into view from nTop, moving
// as little as possible.
int TopToShow(const int* pnRows, int nRows, int nTop, int nRow, int nViewport);
