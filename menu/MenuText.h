#pragma once
#include <windows.h>

// Text rules of the popup that need no window: the cut of a title too wide
// for the menu, and the filter typed into the main menu.

// The ellipsis that ends a cut title.
constexpr WCHAR kEllipsis = 0x2026;

// How many code units of pszText (nLength of them) to show when the text
// may take nMaxWidth pixels. pnExtents[i] is the width of the first i + 1
// code units (GetTextExtentExPointW's partial extents). A text that fits is
// shown whole (nLength); otherwise as many code units as leave room for the
// ellipsis (nEllipsisWidth) after them, never half a surrogate pair, and
// without the spaces that would end the cut.
int CutToWidth(LPCWSTR pszText, int nLength, const int* pnExtents, int nMaxWidth, int nEllipsisWidth);

// TRUE when pszPart occurs in pszText, compared without regard to case in
// any script (an empty part occurs everywhere).
bool ContainsNoCase(LPCWSTR pszText, LPCWSTR pszPart);

// Typed text of at most cchText - 1 code units. Adding refuses what does
// not fit, and a surrogate pair goes in whole or not at all; erasing takes
// the last character, a whole pair with it. Both answer whether the text
// changed.
bool AddTyped(WCHAR* pszText, int cchText, WCHAR ch);
bool EraseTyped(WCHAR* pszText);
