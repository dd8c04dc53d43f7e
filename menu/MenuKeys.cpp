#include "menu/MenuKeys.h"

namespace {

// The first row that can be chosen from nFrom in steps of nStep (1 or -1),
// or -1.
int Scan(const bool* pbChoosable, int nRows, int nFrom, int nStep)
{
    for (int i = nFrom; i >= 0 && i < nRows; i += nStep)
        if (pbChoosable[i])
            return i;
    return -1;
}

// A page away: the row nPage rows on, or the nearest choosable one back
// towards the start; past the end, the last one that can be chosen.
int PageFrom(const bool* pbChoosable, int nRows, int nHot, int nPage, int nStep)
{
    int target = nHot + nStep * (nPage > 0 ? nPage : 1);
    if (target < 0)
        target = 0;
    if (target >= nRows)
        target = nRows - 1;
    int row = Scan(pbChoosable, nRows, target, -nStep);
    if (row < 0 || (nStep > 0 ? row <= nHot : row >= nHot))
        row = Scan(pbChoosable, nRows, target, nStep);
    return row;
}

MenuKeyResult MoveTo(int nRow, int nHot)
{
    if (nRow < 0 || nRow == nHot)
        return MenuKeyResult{MenuKeyAction::None, nHot};
    return MenuKeyResult{MenuKeyAction::Move, nRow};
}

}  // namespace

MenuKeyResult KeyInMenu(UINT vk, const bool* pbChoosable, int nRows, int nHot, int nPage)
{
    if (nHot >= nRows)
        nHot = -1;
    const int first = Scan(pbChoosable, nRows, 0, 1);
    const int last = Scan(pbChoosable, nRows, nRows - 1, -1);
    switch (vk) {
    case VK_ESCAPE:
        return MenuKeyResult{MenuKeyAction::Close, nHot};
    case VK_RETURN:
        if (nHot >= 0 && pbChoosable[nHot])
            return MenuKeyResult{MenuKeyAction::Choose, nHot};
        return MenuKeyResult{MenuKeyAction::None, nHot};
    case VK_DOWN: {
        const int next = nHot < 0 ? first : Scan(pbChoosable, nRows, nHot + 1, 1);
        return MoveTo(next >= 0 ? next : first, nHot);
    }
    case VK_UP: {
        const int prev = nHot < 0 ? last : Scan(pbChoosable, nRows, nHot - 1, -1);
        return MoveTo(prev >= 0 ? prev : last, nHot);
    }
    case VK_HOME:
        return MoveTo(first, nHot);
    case VK_END:
        return MoveTo(last, nHot);
    case VK_NEXT:
        return MoveTo(nHot < 0 ? first : PageFrom(pbChoosable, nRows, nHot, nPage, 1), nHot);
    case VK_PRIOR:
        return MoveTo(nHot < 0 ? first : PageFrom(pbChoosable, nRows, nHot, nPage, -1), nHot);
    default:
        return MenuKeyResult{MenuKeyAction::None, nHot};
    }
}
