#pragma once
#include "app/CommandLine.h"
#include "app/Hotkeys.h"
#include "app/RuleList.h"
#include "docking/Docker.h"
#include "docking/RunWatch.h"
#include "framework/Dialog.h"
#include "tray/TrayIcon.h"

class CGuard;

// The program's one dialog: the user interface and the main loop. Hidden for
// most of its life; its modal loop is the program's main loop. The windows
// it docks belong to its docker, to which it forwards the tray icons'
// requests. Everything it does is asked of it by message; its state is its
// own, and the few readers below are for the tests.
class CTrayDockDlg : public CDialog {
public:
    explicit CTrayDockDlg(CWnd* pParent = nullptr);
    ~CTrayDockDlg() override;

    // The program's guard, watched while the dialog runs; none in the tests.
    void SetGuard(CGuard* pGuard) { m_pGuard = pGuard; }
    // A command this start of the program carried with no copy running
    // (/dock, /run): carried out once the dialog's loop runs. It must live
    // as long as the dialog.
    void SetStartCommand(const Command* pCommand) { m_pStartCommand = pCommand; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The owner of the docked windows and the catalogue.
    CDocker& Docker() { return m_docker; }
    const CDocker& Docker() const { return m_docker; }
    // The program's own icon: its window names it in the icons' requests.
    const CTrayIcon& TrayIcon() const { return m_trayIcon; }
    HICON Icon() const { return m_hIcon; }
    // Set by "Options" for good: from then on the dialog may be shown.
    BOOL ShowAllowed() const { return m_bShowAllowed; }

    // The minimized dialog's face, into any DC (the paint context, or a
    // memory DC in the tests): the icon centred in the client rectangle.
    void PaintMinimized(HDC dc, const RECT& client);

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // The tray icons' requests: "Options" and "Exit" are the dialog's own,
    // everything else goes to the docker.
    LRESULT OnTrayCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnTrayBuildMenu(WPARAM wParam, LPARAM lParam);

    // Check box 1001 and the Run value.
    void CheckRunValue();
    void OnStartWithWindows();

    // The hotkeys: what each one does, and their rows in the dialog.
    void OnHotKey(WPARAM id);
    void ShowHotkeys();
    void OnHotkeyEdited(int action);

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    void OnTimer(UINT_PTR nIDEvent);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    // The session ends: every docked window comes back first, so that a
    // program that asks to save its work is seen asking.
    void OnEndSession(BOOL bEnding);

    // The command line (DialogCommands.cpp): a command handed over by a
    // newcomer, the one this start carried, and the watch for the window of
    // a program that /run started.
    LRESULT OnCopyData(const COPYDATASTRUCT* pcds);
    void OnStartCommand();
    void OnRunWatchTick();

    // "Options": allow the dialog to show and bring it out of the tray.
    void ShowOptions();
    // The close button, Escape: back into the tray, the program goes on.
    void HideIntoTray();

    HICON m_hIcon;
    BOOL m_bShowAllowed;
    CTrayIcon m_trayIcon;
    CDocker m_docker;
    CGuard* m_pGuard = nullptr;
    CHotkeys m_hotkeys;
    CRuleList m_ruleList;
    const Command* m_pStartCommand = nullptr;
    CRunWatch m_runWatch;
    bool m_bReady = false;   // set up to carry out commands
};

// The sweep timer of the dialog, and how often it runs.
constexpr UINT_PTR IDT_SWEEP = 10;
constexpr UINT kSweepPeriodMs = 1000;
// The look for the window of a program that /run started, while it lasts.
constexpr UINT_PTR IDT_RUN_WATCH = 11;
constexpr UINT kRunWatchPeriodMs = 100;
// Posted to itself: the command this start carried, once the loop runs.
constexpr UINT WM_START_COMMAND = WM_APP + 2;
