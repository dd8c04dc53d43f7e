// The contents of both popup menus: the main menu of the program's own icon
// and the menu of a docked window's icon.
#include "docking/Commands.h"
#include "docking/Docker.h"
#include "docking/Pattern.h"
#include "docking/ProgramFiles.h"
#include "framework/Text.h"
#include "menu/MenuEx.h"

void CDocker::ComposeMainMenu(CMenuEx& menu)
{
    // Of hundreds of windows, the menu shows a screenful: it asks for the
    // icons of those.
    BuildWindowList(false);
    AddMainMenuRows(menu);
}

void CDocker::AddMainMenuRows(CMenuEx& menu)
{
    const int nWindows = m_arrWindows.GetSize();
    menu.SetIconSource(this);
    for (int i = 0; i < nWindows; ++i)
        menu.AddItem(0, ID_DOCK_FIRST + i, m_arrWindows[i]->szTitle, m_arrWindows[i]->hIcon, FALSE);
    menu.SetIconSource(nullptr);
    // The windows scroll and are filtered by typing; the rest stays in view.
    menu.BeginFixedRows();
    if (nWindows > 0)
        menu.AddSeparator();
    if (!m_arrDocked.IsEmpty()) {
        menu.AddItem(0, ID_UNDOCK_ALL, L"UnDock All", nullptr, FALSE);
        menu.AddSeparator();
    }
    // Bold: what a double-click on the same icon does.
    menu.AddItem(0, ID_MINIMIZE_ALL, L"Minimize All", nullptr, TRUE);
    if (nWindows > 0)
        menu.AddItem(0, ID_CLOSE_ALL, L"Close All", nullptr, FALSE);
    menu.AddSeparator();
    menu.AddItem(0, ID_OPTIONS, L"Options", nullptr, FALSE);
    menu.AddItem(0, ID_APP_EXIT_TRAY, L"Exit", nullptr, FALSE);
}

void CDocker::ComposeWindowMenu(CMenuEx& menu, HWND hIcon) const
{
    const int i = FindDockedByIcon(hIcon);
    if (i < 0)
        return;
    const DockEntry& entry = *m_arrDocked[i];
    // The state it was docked in is the one it would not change to.
    menu.AddItem(0, ID_UNDOCK, L"UnDock", nullptr, TRUE);
    menu.AddSeparator();
    menu.AddItem(0, ID_RESTORE, L"Restore", nullptr, FALSE);
    menu.AddItem(entry.bWasIconic ? MF_GRAYED : 0, ID_MINIMIZE, L"Minimize", nullptr, FALSE);
    menu.AddItem(entry.bWasZoomed ? MF_GRAYED : 0, ID_MAXIMIZE, L"Maximize", nullptr, FALSE);
    menu.AddSeparator();
    menu.AddItem(0, ID_CLOSE_WINDOW, L"Exit", nullptr, FALSE);
    // The rules for its program, after everything that acts on the window.
    menu.AddSeparator();
    AddRuleRows(menu, entry);
}

void CDocker::AddRuleRows(CMenuEx& menu, const DockEntry& entry) const
{
    // Named after the program's file, as its rules are; a program whose
    // file cannot be read cannot be named, and its rows cannot be chosen.
    LPCWSTR path = ProgramFiles().PathOf(entry.dwProcessId);
    LPCWSTR name = path ? FileNameOf(path) : nullptr;
    const struct {
        UINT nID;
        DWORD dwTrigger;
        LPCWSTR pszWhen;
    } rows[] = {{ID_RULE_OPENS, RULE_OPENS, L" when it opens"}, {ID_RULE_MINIMIZED, RULE_MINIMIZED, L" when minimized"}};
    for (const auto& row : rows) {
        WCHAR szText[100] = L"Dock";
        if (name) {
            lstrcatW(szText, L" ");
            CopyText(szText + 5, 60, name);
        }
        lstrcatW(szText, row.pszWhen);
        const UINT flags = !name ? MF_GRAYED
                                 : m_rules.IsSet(entry.hWnd, entry.dwProcessId, row.dwTrigger) ? MF_CHECKED : 0;
        menu.AddItem(flags, row.nID, szText, nullptr, FALSE);
    }
}
