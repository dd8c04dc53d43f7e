// Placeholder until the tray icon lands: a window and nothing else.
#include "tray/TrayIcon.h"

CTrayIcon::~CTrayIcon()
{
    DestroyWindow();
}

BOOL CTrayIcon::Create(CWnd* pOwner, HICON hIcon, LPCSTR pszTip)
{
    if (!CreateEx(0, RegisterPlainWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
        return FALSE;
    if (pszTip)
        lstrcpynA(m_szTip, pszTip, sizeof m_szTip);
    m_hTrayIcon = hIcon;
    m_hWndOwner = pOwner ? pOwner->m_hWnd : nullptr;
    return TRUE;
}

BOOL CTrayIcon::RemoveIcon() { return FALSE; }
BOOL CTrayIcon::AddIcon(HWND, UINT, HICON, LPCSTR) { return FALSE; }
BOOL CTrayIcon::DeleteIcon(HWND, UINT) { return FALSE; }
BOOL CTrayIcon::IsAnimationEnabled() { return FALSE; }
void CTrayIcon::GetTrayRect(RECT*) {}
void CTrayIcon::HideToTray(BOOL) { ShowWindow(m_hWndOwner, SW_HIDE); }
void CTrayIcon::ShowFromTray(BOOL)
{
    ShowWindow(m_hWndOwner, IsIconic(m_hWndOwner) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(m_hWndOwner);
}
LRESULT CTrayIcon::OnTrayIconCallback(WPARAM, LPARAM) { return 0; }
LRESULT CTrayIcon::OnTaskbarCreated(WPARAM, LPARAM) { return 0; }
LRESULT CTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CWnd::WindowProc(message, wParam, lParam);
}
BOOL CTrayIcon::OnCommand(WPARAM wParam, LPARAM lParam) { return CWnd::OnCommand(wParam, lParam); }
