// The contents of both popup menus: the main menu of the program's own icon
// and the menu of a docked window's icon.
#include "app/TrayDockDlg.h"
#include "docking/Commands.h"
#include "menu/MenuEx.h"

namespace {

// WM_TRAY_BUILDMENU carries an address, and any program can find the dialog
// and send or post it one. Only a menu that one of our icons has just made
// for this request is filled: a live menu of this thread (checked before the
// address is used at all), owned by the icon that asks, not yet shown and
// still empty. Our icons create, fill and show it without pumping messages
// in between, so a message from another thread never meets such a menu.
CMenuEx* MenuToFill(WPARAM wParam, HWND hIcon)
{
    const void* address = reinterpret_cast<const void*>(wParam);
    if (!CMenuEx::IsLiveMenu(address))
        return nullptr;
    auto* menu = static_cast<CMenuEx*>(const_cast<void*>(address));
    if (!menu->m_hWnd || menu->m_hWndOwner != hIcon || menu->IsInModalLoop() ||
        (GetWindowLongA(menu->m_hWnd, GWL_STYLE) & WS_VISIBLE) || !menu->m_arrItems.IsEmpty())
        return nullptr;
    return menu;
}

}  // namespace

LRESULT CTrayDockDlg::OnTrayBuildMenu(WPARAM wParam, LPARAM lParam)
{
    const HWND hIcon = reinterpret_cast<HWND>(lParam);
    CMenuEx* menu = MenuToFill(wParam, hIcon);
    if (!menu)
        return 0;

    if (hIcon == m_trayIcon.m_hWnd) {
        BuildWindowList();
        const int nWindows = m_arrWindows.GetSize();
        for (int i = 0; i < nWindows; ++i)
            menu->AddItem(0, ID_DOCK_FIRST + i, m_arrWindows[i]->szTitle, m_arrWindows[i]->hIcon, FALSE);
        if (nWindows > 0)
            menu->AddSeparator();
        if (!m_arrDocked.IsEmpty()) {
            menu->AddItem(0, ID_UNDOCK_ALL, "UnDock All", nullptr, FALSE);
            menu->AddSeparator();
        }
        // Bold: what a double-click on the same icon does.
        menu->AddItem(0, ID_MINIMIZE_ALL, "Minimize All", nullptr, TRUE);
        if (nWindows > 0)
            menu->AddItem(0, ID_CLOSE_ALL, "Close All", nullptr, FALSE);
        menu->AddSeparator();
        menu->AddItem(0, ID_OPTIONS, "Options", nullptr, FALSE);
        menu->AddItem(0, ID_APP_EXIT_TRAY, "Exit", nullptr, FALSE);
        return 1;
    }

    const int i = FindDockedByIcon(hIcon);
    if (i < 0)
        return 1;
    const DockEntry& entry = *m_arrDocked[i];
    // The state it was docked in is the one it would not change to.
    menu->AddItem(0, ID_UNDOCK, "UnDock", nullptr, TRUE);
    menu->AddSeparator();
    menu->AddItem(0, ID_RESTORE, "Restore", nullptr, FALSE);
    menu->AddItem(entry.bWasIconic ? MF_GRAYED : 0, ID_MINIMIZE, "Minimize", nullptr, FALSE);
    menu->AddItem(entry.bWasZoomed ? MF_GRAYED : 0, ID_MAXIMIZE, "Maximize", nullptr, FALSE);
    menu->AddSeparator();
    menu->AddItem(0, ID_CLOSE_WINDOW, "Exit", nullptr, FALSE);
    return 1;
}
