#pragma once
#include "docking/DockEntry.h"
#include "framework/PtrArray.h"

// The icons the last catalogue's windows showed, by window: the next
// catalogue's menu shows them at once and asks each window again once it is
// on the screen. Only the last catalogue's windows are kept, so it never
// grows past the desktop.
class CIconRecall {
public:
    CIconRecall() = default;
    ~CIconRecall() { delete[] m_pIcons; }
    CIconRecall(const CIconRecall&) = delete;
    CIconRecall& operator=(const CIconRecall&) = delete;

    // Before a catalogue is freed: the icons its entries have, and for those
    // never asked, what was kept for their windows before.
    void Keep(const CTypedPtrArray<DockEntry>& catalogue);
    // The icon kept for hWnd, or null.
    HICON Find(HWND hWnd) const;

private:
    struct WindowIcon {
        HWND hWnd;
        HICON hIcon;
    };
    WindowIcon* m_pIcons = nullptr;   // by handle, ascending
    int m_nCount = 0;
};
