#include "tray/TrayIcon.h"

#include "framework/Text.h"
#include "menu/MenuEx.h"
#include "tray/TrayShell.h"

#include <cstddef>

namespace {

// The first form of the record, in UTF-16: every shell takes it, and the
// program needs nothing the later forms add. It ends with its 64-character
// tooltip, wherever the pointer-sized fields before it put that: 152 bytes
// for a 32-bit program, 168 for a 64-bit one. A fixed 152 would cut a 64-bit
// program's tooltip short.
constexpr DWORD kNotifyIconDataSize = offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(WCHAR);
static_assert(sizeof(void*) == 8 || kNotifyIconDataSize == 152, "the 32-bit first form is 152 bytes");

constexpr UINT kIconId = 0;

// Where the shell has drawn an icon, from Windows 7 on; looked up on first
// use, since the program also runs on shells that lack it.
HRESULT NotifyIconGetRect(const NOTIFYICONIDENTIFIER* pIdentifier, RECT* pRect)
{
    using Fn = HRESULT(WINAPI*)(const NOTIFYICONIDENTIFIER*, RECT*);
    static const Fn fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("shell32.dll"), "Shell_NotifyIconGetRect")));
    return fn ? fn(pIdentifier, pRect) : E_NOTIMPL;
}

}  // namespace

CTrayIcon::~CTrayIcon()
{
    DeleteIcon(m_hWnd, kIconId);
    DestroyWindow();
}

BOOL CTrayIcon::Create(CWnd* pOwner, HICON hIcon, LPCWSTR pszTip)
{
    // Top-level and never shown: it exists to receive the shell's reports.
    if (!CreateEx(0, RegisterPlainWndClass(0), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
        return FALSE;
    CopyText(m_szTip, 128, pszTip);
    m_hTrayIcon = hIcon;
    m_hWndOwner = pOwner ? pOwner->m_hWnd : nullptr;
    // Last: a report of the shell may be dispatched while it is added, and
    // finds the icon whole. A refusal (no taskbar yet) is made good by the
    // next "TaskbarCreated".
    AddIcon(m_hWnd, kIconId, hIcon, pszTip);
    return TRUE;
}

BOOL CTrayIcon::AddIcon(HWND hWnd, UINT uID, HICON hIcon, LPCWSTR pszTip)
{
    NOTIFYICONDATAW nid{};
    nid.cbSize = kNotifyIconDataSize;
    nid.hWnd = hWnd;
    nid.uID = uID;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_TRAYICON_CALLBACK;
    nid.hIcon = hIcon;
    CopyText(nid.szTip, 64, pszTip);
    return g_trayShell.pfnNotifyIcon(NIM_ADD, &nid);
}

BOOL CTrayIcon::DeleteIcon(HWND hWnd, UINT uID)
{
    NOTIFYICONDATAW nid{};
    nid.cbSize = kNotifyIconDataSize;
    nid.hWnd = hWnd;
    nid.uID = uID;
    return g_trayShell.pfnNotifyIcon(NIM_DELETE, &nid);
}

BOOL CTrayIcon::SetTip(LPCWSTR pszTip)
{
    CopyText(m_szTip, 128, pszTip);
    // Only the tip: a shell that lost the icon (it is re-added after the
    // next "TaskbarCreated", with this tip) refuses the change, and nothing
    // else comes of it.
    NOTIFYICONDATAW nid{};
    nid.cbSize = kNotifyIconDataSize;
    nid.hWnd = m_hWnd;
    nid.uID = kIconId;
    nid.uFlags = NIF_TIP;
    CopyText(nid.szTip, 64, m_szTip);
    return g_trayShell.pfnNotifyIcon(NIM_MODIFY, &nid);
}

BOOL CTrayIcon::RemoveIcon()
{
    return DeleteIcon(m_hWnd, kIconId);
}

LRESULT CTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Registered numbers are known only at run time, so they come first.
    if (message == WM_TRAYICON_CALLBACK)
        return OnTrayIconCallback(wParam, lParam);
    if (message == WM_TASKBARCREATED)
        return OnTaskbarCreated(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CTrayIcon::OnTaskbarCreated(WPARAM, LPARAM)
{
    // The new taskbar starts empty; no delete is needed first.
    AddIcon(m_hWnd, kIconId, m_hTrayIcon, m_szTip);
    return 0;
}

LRESULT CTrayIcon::OnTrayIconCallback(WPARAM, LPARAM lParam)
{
    switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONUP:
        OnRButtonUp();
        break;
    case WM_LBUTTONDBLCLK:
        if (m_hWndOwner)
            PostMessageA(m_hWndOwner, WM_TRAY_COMMAND, ID_TRAY_DOUBLECLICK, reinterpret_cast<LPARAM>(m_hWnd));
        break;
    default:
        break;
    }
    return 0;
}

void CTrayIcon::OnRButtonUp()
{
    POINT pt{};
    GetCursorPos(&pt);
    OpenMenuAt(pt);
}

void CTrayIcon::OpenMenuAt(POINT pt)
{
    // The popup's loop below dispatches the controller's sweep, which may
    // delete this object (a docked window that went away). Everything needed
    // after the loop is copied now; past Track nothing of the object is used.
    const HWND hWndSelf = m_hWnd;
    const HWND hWndOwner = m_hWndOwner;

    // Without the owner in the foreground the popup could not take the focus,
    // and a click elsewhere would not close it.
    if (hWndOwner)
        SetForegroundWindow(hWndOwner);

    CMenuEx menu;
    menu.Create(hWndSelf, &pt);
    if (hWndOwner)
        SendMessageA(hWndOwner, WM_TRAY_BUILDMENU, reinterpret_cast<WPARAM>(&menu),
                     reinterpret_cast<LPARAM>(hWndSelf));
    menu.Track(0, pt.x, pt.y, this, nullptr);

    menu.Close();
    // The choice arrives as a posted WM_COMMAND after this returns; the owner
    // sees this WM_NULL first.
    if (hWndOwner)
        PostMessageA(hWndOwner, WM_NULL, 0, 0);
}

POINT CTrayIcon::GetMenuPoint()
{
    NOTIFYICONIDENTIFIER id{};
    id.cbSize = sizeof id;
    id.hWnd = m_hWnd;
    id.uID = kIconId;
    RECT rc{};
    if (SUCCEEDED(NotifyIconGetRect(&id, &rc)))
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    // Shells before Windows 7 (and Wine's) do not tell where an icon is:
    // the popup then stands on the notification area's far corner.
    GetTrayRect(&rc);
    return POINT{rc.right, rc.top};
}

BOOL CTrayIcon::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // A popup reports its choice with lParam 0; a control would name itself.
    // With no owner a post would become a message to this thread: drop it.
    if (lParam == 0 && m_hWndOwner)
        PostMessageA(m_hWndOwner, WM_TRAY_COMMAND, wParam, reinterpret_cast<LPARAM>(m_hWnd));
    return CWnd::OnCommand(wParam, lParam);
}
