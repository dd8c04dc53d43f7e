// The global hotkeys: what each does when pressed, and the dialog's rows that
// show and change their combinations.
#include "app/TrayDockDlg.h"

#include "res/resource.h"

#include <commctrl.h>

static_assert(IDC_HOTKEY_UNDOCK == IDC_HOTKEY_DOCK + HOTKEY_UNDOCK && IDC_HOTKEY_MENU == IDC_HOTKEY_DOCK + HOTKEY_MENU &&
                  IDC_HOTKEY_WIN_MENU == IDC_HOTKEY_WIN_DOCK + HOTKEY_MENU &&
                  IDC_HOTKEY_STATE_MENU == IDC_HOTKEY_STATE_DOCK + HOTKEY_MENU,
              "each row's controls are numbered in the order of the actions");

namespace {

const char* StateText(HotkeyState state)
{
    switch (state) {
    case HOTKEY_IN_USE:
        return "In use";
    case HOTKEY_REFUSED:
        return "Refused";
    default:
        return "";
    }
}

}  // namespace

void CTrayDockDlg::OnHotKey(WPARAM id)
{
    switch (CHotkeys::ActionOf(id)) {
    case HOTKEY_DOCK: {
        // With one of our own windows in front (this dialog, an open popup)
        // there is nothing to dock, and a rebuilt catalogue would no longer
        // match the rows of an open main menu.
        const HWND hWnd = GetForegroundWindow();
        if (GetWindowThreadProcessId(hWnd, nullptr) != GetCurrentThreadId())
            m_docker.DockWindow(hWnd, m_trayIcon.m_hWnd);
        break;
    }
    case HOTKEY_UNDOCK:
        m_docker.UndockLatest();
        break;
    case HOTKEY_MENU:
        m_trayIcon.OpenMenuAt(m_trayIcon.GetMenuPoint());
        break;
    default:
        break;
    }
}

void CTrayDockDlg::ShowHotkeys()
{
    for (int action = 0; action < HOTKEY_COUNT; ++action) {
        const DWORD dw = m_hotkeys.Get(action);
        SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_DOCK + action, HKM_SETHOTKEY, ToHotkeyControl(dw), 0);
        CheckDlgButton(m_hWnd, IDC_HOTKEY_WIN_DOCK + action, (HIWORD(dw) & MOD_WIN) ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextA(m_hWnd, IDC_HOTKEY_STATE_DOCK + action, StateText(m_hotkeys.State(action)));
    }
}

void CTrayDockDlg::OnHotkeyEdited(int action)
{
    const WORD wControl =
        static_cast<WORD>(SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_DOCK + action, HKM_GETHOTKEY, 0, 0));
    const bool bWin = IsDlgButtonChecked(m_hWnd, IDC_HOTKEY_WIN_DOCK + action) == BST_CHECKED;
    const DWORD dw = FromHotkeyControl(wControl, bWin);
    if (dw == m_hotkeys.Get(action))
        return;
    m_hotkeys.Set(action, dw);
    WriteHotkey(action, dw);
    SetDlgItemTextA(m_hWnd, IDC_HOTKEY_STATE_DOCK + action, StateText(m_hotkeys.State(action)));
}
