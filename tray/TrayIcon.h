#pragma once
#include "framework/Wnd.h"

#include <shellapi.h>

// Numbers of the registered messages "TaskbarCreated" and "TrayIconCallBack",
// read-only: RegisterTrayMessages sets them.
extern const UINT& WM_TASKBARCREATED;
extern const UINT& WM_TRAYICON_CALLBACK;

// Registers "TaskbarCreated", then "TrayIconCallBack". The program does it
// during its static initialisation, right after its application object, so
// that both numbers exist before any tray icon is created.
void RegisterTrayMessages();

// Private messages from a tray icon to its owner.
constexpr UINT WM_TRAY_BUILDMENU = WM_USER + 500;   // sent: wParam CMenuEx*, lParam icon window
constexpr UINT WM_TRAY_COMMAND = WM_USER + 501;     // posted: wParam command, lParam icon window

// The command a left double-click on an icon posts; what it means for that
// icon is the owner's decision.
constexpr UINT ID_TRAY_DOUBLECLICK = 140;

// The hidden window behind one notification-area icon.
class CTrayIcon : public CWnd {
public:
    CTrayIcon() = default;
    ~CTrayIcon() override;

    BOOL Create(CWnd* pOwner, HICON hIcon, LPCWSTR pszTip);
    BOOL RemoveIcon();
    // A new tooltip, kept (cut to 127) for re-adding the icon and handed to
    // the shell (cut to 63) at once; the icon stays where it is.
    BOOL SetTip(LPCWSTR pszTip);

    static BOOL AddIcon(HWND hWnd, UINT uID, HICON hIcon, LPCWSTR pszTip);
    static BOOL DeleteIcon(HWND hWnd, UINT uID);

    // The zoom between the owner window and the notification area.
    BOOL IsAnimationEnabled();
    void GetTrayRect(RECT* pRect);
    void HideToTray(BOOL bForce);
    void ShowFromTray(BOOL bForce);
    // Narrows the rectangle at lParam to the notification area, then past the
    // clock inside it; EnumChildWindows over the taskbar calls it.
    static BOOL CALLBACK EnumTrayChildProc(HWND hWnd, LPARAM lParam);

    // Opens this icon's popup with its bottom-right corner at pt, as a
    // right-click there would, and returns when it has closed. The owner's
    // messages dispatched meanwhile may delete this object; nothing of it is
    // used after the popup's loop.
    void OpenMenuAt(POINT pt);
    // The point on screen where this icon's popup opens for the keyboard:
    // the icon's centre, as the shell tells it, else the notification
    // area's top-right corner.
    POINT GetMenuPoint();

    LRESULT OnTrayIconCallback(WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);

    WCHAR m_szTip[128] = {};   // at most 127 UTF-16 code units, never half a pair
    HICON m_hTrayIcon = nullptr;
    HWND m_hWndOwner = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void OnRButtonUp();
};
