// The caption zoom between the owner window and the notification area.
#include "tray/TrayIcon.h"

#include "tray/TrayShell.h"

#include <cstring>

namespace {

// A clock that ends more than this far above the notification area's bottom
// sits in a tall (vertical) tray: the icons are below it, not beside it.
constexpr LONG kClockMargin = 5;

}  // namespace

BOOL CTrayIcon::IsAnimationEnabled()
{
    // A system that does not answer leaves iMinAnimate at 0: no zoom, the
    // window is simply hidden or shown.
    ANIMATIONINFO info{};
    info.cbSize = sizeof info;
    g_trayShell.pfnSystemParametersInfo(SPI_GETANIMATION, sizeof info, &info, 0);
    return info.iMinAnimate != 0;
}

BOOL CALLBACK CTrayIcon::EnumTrayChildProc(HWND hWnd, LPARAM lParam)
{
    RECT* pRect = reinterpret_cast<RECT*>(lParam);
    char szClass[256] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);

    if (std::strcmp(szClass, "TrayNotifyWnd") == 0) {
        GetWindowRect(hWnd, pRect);
        return TRUE;
    }
    if (std::strcmp(szClass, "TrayClockWClass") == 0) {
        RECT rcClock{};
        GetWindowRect(hWnd, &rcClock);
        if (rcClock.bottom < pRect->bottom - kClockMargin)
            pRect->top = rcClock.bottom;
        else
            pRect->right = rcClock.left;
        return FALSE;
    }
    return TRUE;
}

void CTrayIcon::GetTrayRect(RECT* pRect)
{
    if (HWND hWndTaskbar = g_trayShell.pfnFindWindow("Shell_TrayWnd", nullptr)) {
        GetWindowRect(hWndTaskbar, pRect);
        EnumChildWindows(hWndTaskbar, EnumTrayChildProc, reinterpret_cast<LPARAM>(pRect));
        return;
    }

    // No taskbar window of the known shell: its position as the shell tells
    // it, with the icons near the bar's far end.
    APPBARDATA abd{};
    abd.cbSize = sizeof abd;
    if (g_trayShell.pfnAppBarMessage(ABM_GETTASKBARPOS, &abd)) {
        switch (abd.uEdge) {
        case ABE_LEFT:
        case ABE_RIGHT:
            pRect->left = abd.rc.left;
            pRect->top = abd.rc.bottom - 100;
            pRect->right = abd.rc.right;
            pRect->bottom = abd.rc.bottom - 16;
            return;
        case ABE_TOP:
        case ABE_BOTTOM:
            pRect->left = abd.rc.right - 100;
            pRect->top = abd.rc.top;
            pRect->right = abd.rc.right - 16;
            pRect->bottom = abd.rc.bottom;
            return;
        default:
            // An edge we cannot place says nothing about where the icons
            // are: fall back to the work area as if the shell had not answered.
            break;
        }
    }

    // The screen stands in should the work area not be reported either, so
    // that the rectangle is always defined.
    SetRect(pRect, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    g_trayShell.pfnSystemParametersInfo(SPI_GETWORKAREA, 0, pRect, 0);
    pRect->left = pRect->right - 150;
    pRect->top = pRect->bottom - 30;
}

void CTrayIcon::HideToTray(BOOL bForce)
{
    const HWND hWndOwner = m_hWndOwner;
    // A hidden owner still zooms from where it last was: the controller
    // hides itself before asking for this.
    if ((bForce || IsAnimationEnabled()) && !IsIconic(hWndOwner)) {
        RECT rcWindow{};
        RECT rcTray{};
        GetWindowRect(hWndOwner, &rcWindow);
        GetTrayRect(&rcTray);
        g_trayShell.pfnDrawAnimatedRects(hWndOwner, IDANI_CAPTION, &rcWindow, &rcTray);
    }
    ShowWindow(hWndOwner, SW_HIDE);
}

void CTrayIcon::ShowFromTray(BOOL bForce)
{
    const HWND hWndOwner = m_hWndOwner;
    const BOOL bIconic = IsIconic(hWndOwner);
    const BOOL bVisible = IsWindowVisible(hWndOwner);

    // Only a hidden, normal window comes out of the tray; a minimized one is
    // restored from its taskbar button and a visible one is already there.
    if ((bForce || IsAnimationEnabled()) && !bIconic && !bVisible) {
        RECT rcWindow{};
        RECT rcTray{};
        GetWindowRect(hWndOwner, &rcWindow);
        GetTrayRect(&rcTray);
        g_trayShell.pfnDrawAnimatedRects(hWndOwner, IDANI_CAPTION, &rcTray, &rcWindow);
    }
    ShowWindow(hWndOwner, bIconic ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hWndOwner);
}
