#include "docking/IconRecall.h"

#include <algorithm>
#include <new>

namespace {

bool Before(HWND a, HWND b)
{
    return reinterpret_cast<UINT_PTR>(a) < reinterpret_cast<UINT_PTR>(b);
}

}  // namespace

void CIconRecall::Keep(const CTypedPtrArray<DockEntry>& catalogue)
{
    const int n = catalogue.GetSize();
    // Out of memory nothing is kept, and the next menu asks every window.
    WindowIcon* icons = n > 0 ? new (std::nothrow) WindowIcon[n] : nullptr;
    int count = 0;
    for (int i = 0; icons && i < n; ++i) {
        const DockEntry& entry = *catalogue[i];
        if (const HICON icon = entry.hIcon ? entry.hIcon : Find(entry.hWnd))
            icons[count++] = WindowIcon{entry.hWnd, icon};
    }
    std::sort(icons, icons + count, [](const WindowIcon& a, const WindowIcon& b) { return Before(a.hWnd, b.hWnd); });
    delete[] m_pIcons;
    m_pIcons = icons;
    m_nCount = count;
}

HICON CIconRecall::Find(HWND hWnd) const
{
    const WindowIcon* begin = m_pIcons;
    const WindowIcon* end = begin + m_nCount;
    const WindowIcon* it =
        std::lower_bound(begin, end, hWnd, [](const WindowIcon& a, HWND h) { return Before(a.hWnd, h); });
    return it != end && it->hWnd == hWnd ? it->hIcon : nullptr;
}
