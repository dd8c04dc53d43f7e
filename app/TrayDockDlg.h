#pragma once
#include "app/Hotkeys.h"
#include "docking/Docker.h"
#include "framework/Dialog.h"
#include "tray/TrayIcon.h"

class CGuard;

// The program's one dialog: the user interface and the main loop. Hidden for
// most of its life; its modal loop is the program's main loop. The windows
// it docks belong to its m_docker, to which it forwards the tray icons'
// requests.
class CTrayDockDlg : public CDialog {
public:
    explicit CTrayDockDlg(CWnd* pParent = nullptr);
    ~CTrayDockDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The tray icons' requests: "Options" and "Exit" are the dialog's own,
    // everything else goes to m_docker.
    LRESULT OnTrayCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnTrayBuildMenu(WPARAM wParam, LPARAM lParam);

    // The Run value (its own source file).
    void CheckRunValue();
    void OnStartWithWindows();

    // The hotkeys: what each one does, and their rows in the dialog
    // (HotkeyOptions.cpp).
    void OnHotKey(WPARAM id);
    void ShowHotkeys();
    void OnHotkeyEdited(int action);

    HICON m_hIcon;
    BOOL m_bShowAllowed;
    CTrayIcon m_trayIcon;
    CDocker m_docker;
    // The program's guard, watched while the dialog runs; none in the tests.
    CGuard* m_pGuard = nullptr;
    CHotkeys m_hotkeys;

    // Handlers, public so that tests can drive them one by one.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    // The minimized dialog's face, into any DC (the paint context, or a
    // memory DC in the tests): the icon centred in the client rectangle.
    void PaintMinimized(HDC dc, const RECT& client);
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    void OnTimer(UINT_PTR nIDEvent);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    // The session ends: every docked window comes back first, so that a
    // program that asks to save its work is seen asking.
    void OnEndSession(BOOL bEnding);

    // "Options": allow the dialog to show and bring it out of the tray.
    void ShowOptions();
    // The close button, Escape: back into the tray, the program goes on.
    void HideIntoTray();

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

// The sweep timer of the dialog.
constexpr UINT_PTR IDT_SWEEP = 10;
