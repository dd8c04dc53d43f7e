#include "app/TrayDockDlg.h"

#include "app/Guard.h"
#include "app/RunValue.h"
#include "docking/Commands.h"
#include "framework/Gdi.h"
#include "menu/MenuEx.h"
#include "res/resource.h"

#include <commctrl.h>

static_assert(IDC_HOTKEY_UNDOCK == IDC_HOTKEY_DOCK + HOTKEY_UNDOCK && IDC_HOTKEY_MENU == IDC_HOTKEY_DOCK + HOTKEY_MENU &&
                  IDC_HOTKEY_WIN_MENU == IDC_HOTKEY_WIN_DOCK + HOTKEY_MENU &&
                  IDC_HOTKEY_STATE_MENU == IDC_HOTKEY_STATE_DOCK + HOTKEY_MENU,
              "each row's controls are numbered in the order of the actions");

CTrayDockDlg::CTrayDockDlg(CWnd* pParent) : CDialog(IDD_MAIN_DIALOG, pParent)
{
    m_hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_bShowAllowed = FALSE;
}

CTrayDockDlg::~CTrayDockDlg() = default;

LRESULT CTrayDockDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_TRAY_BUILDMENU:
        return OnTrayBuildMenu(wParam, lParam);
    case WM_TRAY_COMMAND:
        return OnTrayCommand(wParam, lParam);
    case WM_HOTKEY:
        OnHotKey(wParam);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_NOTIFY:
        if (m_ruleList.OnNotify(reinterpret_cast<const NMHDR*>(lParam)))
            return 0;
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(static_cast<BOOL>(wParam));
        return 0;
    case WM_GUARD_ENDED:
        if (m_pGuard)
            m_pGuard->OnEnded();
        return 0;
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_START_COMMAND:
        OnStartCommand();
        return 0;
    default:
        return CDialog::WindowProc(message, wParam, lParam);
    }
}

BOOL CTrayDockDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_START_WITH_WINDOWS && HIWORD(wParam) == BN_CLICKED) {
        OnStartWithWindows();
        return TRUE;
    }
    // The hotkey controls report every change (each modifier as it is
    // pressed), the "Win" boxes their clicks.
    const int id = LOWORD(wParam);
    if ((id >= IDC_HOTKEY_DOCK && id < IDC_HOTKEY_DOCK + HOTKEY_COUNT && HIWORD(wParam) == EN_CHANGE) ||
        (id >= IDC_HOTKEY_WIN_DOCK && id < IDC_HOTKEY_WIN_DOCK + HOTKEY_COUNT && HIWORD(wParam) == BN_CLICKED)) {
        OnHotkeyEdited(id < IDC_HOTKEY_WIN_DOCK ? id - IDC_HOTKEY_DOCK : id - IDC_HOTKEY_WIN_DOCK);
        return TRUE;
    }
    if (lParam && m_ruleList.OnCommand(wParam))
        return TRUE;
    // A second copy of the program hands off with this command and ends; show
    // the running copy's dialog so that whoever started it again sees it run.
    if (wParam == ID_MINIMIZE_ALL && lParam == 0) {
        ShowOptions();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CTrayDockDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // Leaves Restore, Move, Minimize, the separator and Close: the dialog is
    // neither sized nor maximized.
    if (HMENU sysMenu = GetSystemMenu(m_hWnd, FALSE)) {
        RemoveMenu(sysMenu, 4, MF_BYPOSITION);
        RemoveMenu(sysMenu, 2, MF_BYPOSITION);
    }

    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_trayIcon.Create(this, m_hIcon, L"Traylet");
    m_docker.SetOwner(this);
    m_bReady = true;
    CheckRunValue();
    if (m_pGuard)
        m_pGuard->Watch(m_hWnd);
    // A combination another program holds is shown as in use; the program
    // runs all the same.
    m_hotkeys.RegisterAll(m_hWnd);
    ShowHotkeys();
    // Windows there now that a rule docks as they open are docked at once.
    m_docker.Rules().Start();
    m_ruleList.Init(this, m_docker);
    SetTimer(IDT_SWEEP, kSweepPeriodMs);
    if (m_pStartCommand)
        PostMessageA(m_hWnd, WM_START_COMMAND, 0, 0);
    return FALSE;
}

BOOL CTrayDockDlg::PreTranslateMessage(MSG* pMsg)
{
    // The close button, Alt+F4 and the window menu's Close arrive as a posted
    // IDCANCEL: hide into the tray instead of ending the program. A sent
    // IDOK or IDCANCEL never comes this way and ends the dialog.
    if (pMsg->message == WM_COMMAND && pMsg->hwnd == m_hWnd &&
        (pMsg->wParam == IDOK || pMsg->wParam == IDCANCEL)) {
        HideIntoTray();
        return TRUE;
    }
    if (m_ruleList.PreTranslateMessage(pMsg))
        return TRUE;
    // Escape means the same as the close button. The dialog manager would
    // turn it into a sent IDCANCEL, which ends the program.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE &&
        (pMsg->hwnd == m_hWnd || IsChild(m_hWnd, pMsg->hwnd))) {
        HideIntoTray();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CTrayDockDlg::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    // Neither the template's WS_VISIBLE nor the modal loop's show-on-idle may
    // bring the dialog up before "Options".
    if (!m_bShowAllowed)
        lpwndpos->flags &= ~SWP_SHOWWINDOW;
    Default();
}

void CTrayDockDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == IDT_SWEEP) {
        KillTimer(IDT_SWEEP);
        m_docker.Sweep();
        if (m_pGuard)
            m_pGuard->Tick();
        SetTimer(IDT_SWEEP, kSweepPeriodMs);
    } else if (nIDEvent == IDT_RUN_WATCH) {
        OnRunWatchTick();
    }
    Default();
}

void CTrayDockDlg::OnDestroy()
{
    m_hotkeys.UnregisterAll();
    // Nothing is docked by a rule while the docked windows come back.
    m_docker.Rules().Stop();
    Default();
    m_docker.FreeWindowList();
    m_docker.UndockAll();
}

void CTrayDockDlg::OnEndSession(BOOL bEnding)
{
    if (!bEnding)
        return;
    m_docker.UndockAll();
    // The system ends the guard too, maybe first; no new one is started for
    // a session that is going.
    m_pGuard = nullptr;
}

void CTrayDockDlg::OnPaint()
{
    if (!IsIconic(m_hWnd)) {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    RECT rect{};
    GetClientRect(m_hWnd, &rect);
    PaintMinimized(dc, rect);
}

void CTrayDockDlg::PaintMinimized(HDC dc, const RECT& client)
{
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    const int x = (client.right - client.left - cxIcon + 1) / 2;
    const int y = (client.bottom - client.top - cyIcon + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
}

void CTrayDockDlg::OnSysCommand(UINT, LPARAM)
{
    Default();
}

HCURSOR CTrayDockDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

LRESULT CTrayDockDlg::OnTrayCommand(WPARAM wParam, LPARAM lParam)
{
    const HWND hIcon = reinterpret_cast<HWND>(lParam);
    switch (wParam) {
    case ID_APP_EXIT_TRAY:
        // The dialog's destruction brings every docked window back.
        PostQuitMessage(0);
        return 1;
    case ID_OPTIONS:
        ShowOptions();
        return 1;
    case ID_RULE_OPENS:
    case ID_RULE_MINIMIZED: {
        // Options shows the rules as they stand.
        const LRESULT result = m_docker.OnCommand(wParam, hIcon, hIcon == m_trayIcon.m_hWnd);
        m_ruleList.Show();
        return result;
    }
    default:
        return m_docker.OnCommand(wParam, hIcon, hIcon == m_trayIcon.m_hWnd);
    }
}

// The address in wParam may come from any program; only a menu that the
// asking icon has just made for this request is filled.
LRESULT CTrayDockDlg::OnTrayBuildMenu(WPARAM wParam, LPARAM lParam)
{
    const HWND hIcon = reinterpret_cast<HWND>(lParam);
    CMenuEx* menu = CMenuEx::ToFill(reinterpret_cast<const void*>(wParam), hIcon);
    if (!menu)
        return 0;
    if (hIcon == m_trayIcon.m_hWnd)
        m_docker.ComposeMainMenu(*menu);
    else
        m_docker.ComposeWindowMenu(*menu, hIcon);
    return 1;
}

void CTrayDockDlg::HideIntoTray()
{
    ShowWindow(m_hWnd, SW_HIDE);
    m_trayIcon.HideToTray(FALSE);
}

void CTrayDockDlg::ShowOptions()
{
    // What the dialog shows is what holds now.
    m_hotkeys.RetryInUse();
    ShowHotkeys();
    m_ruleList.Show();
    m_bShowAllowed = TRUE;
    m_trayIcon.ShowFromTray(FALSE);
}

void CTrayDockDlg::CheckRunValue()
{
    // The template leaves the box unchecked.
    if (IsStartWithWindowsOn())
        CheckDlgButton(m_hWnd, IDC_START_WITH_WINDOWS, BST_CHECKED);
}

void CTrayDockDlg::OnStartWithWindows()
{
    // A write that fails leaves the box as the user set it; the next start
    // shows what the registry holds.
    SetStartWithWindows(IsDlgButtonChecked(m_hWnd, IDC_START_WITH_WINDOWS) != BST_UNCHECKED);
}

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
        const HotkeyRow row = HotkeyRowOf(m_hotkeys.Get(action), m_hotkeys.State(action));
        SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_DOCK + action, HKM_SETHOTKEY, row.wControl, 0);
        CheckDlgButton(m_hWnd, IDC_HOTKEY_WIN_DOCK + action, row.bWin ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextA(m_hWnd, IDC_HOTKEY_STATE_DOCK + action, row.pszState);
    }
}

void CTrayDockDlg::OnHotkeyEdited(int action)
{
    const WORD wControl =
        static_cast<WORD>(SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_DOCK + action, HKM_GETHOTKEY, 0, 0));
    const bool bWin = IsDlgButtonChecked(m_hWnd, IDC_HOTKEY_WIN_DOCK + action) == BST_CHECKED;
    if (m_hotkeys.Change(action, FromHotkeyControl(wControl, bWin)))
        SetDlgItemTextA(m_hWnd, IDC_HOTKEY_STATE_DOCK + action, HotkeyStateText(m_hotkeys.State(action)));
}
