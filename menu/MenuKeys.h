#pragma once
#include <windows.h>

// What a key does in an open popup, as a table of the rows that can be
// chosen. Rows are counted top to bottom as they are shown; separators, grey
// and disabled rows cannot be chosen, and the keys pass them by.
enum class MenuKeyAction {
    None,     // the key means nothing here
    Move,     // the highlight goes to nRow
    Choose,   // the highlighted row is chosen, as a click would
    Close,    // the popup closes, choosing nothing
};

struct MenuKeyResult {
    MenuKeyAction action;
    int nRow;   // where the highlight goes (Move)
};

// Up and Down go to the row before or after nHot that can be chosen, round
// from one end to the other; with nothing highlighted, Down starts at the
// first and Up at the last. Home and End go to the first and last; Page Up
// and Page Down nPage rows up or down, stopping at the ends. Enter chooses a
// highlighted row that can be chosen; Escape closes.
MenuKeyResult KeyInMenu(UINT vk, const bool* pbChoosable, int nRows, int nHot, int nPage);
