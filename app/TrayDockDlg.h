#pragma once
#include "docking/DockEntry.h"
#include "framework/Dialog.h"
#include "framework/PtrArray.h"
#include "tray/TrayIcon.h"

class CMenuEx;

// The program's one dialog and the owner of all its state. Hidden for most
// of its life; its modal loop is the program's main loop.
class CTrayDockDlg : public CDialog {
public:
    explicit CTrayDockDlg(CWnd* pParent = nullptr);
    ~CTrayDockDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The catalogue (its own source file).
    void BuildWindowList();
    void FreeWindowList();
    int FindDockedByIcon(HWND hWnd) const;

    // Dock commands (their own source file).
    LRESULT OnTrayCommand(WPARAM wParam, LPARAM lParam);
    void UndockAll();

    // Menu composition (its own source file).
    LRESULT OnTrayBuildMenu(WPARAM wParam, LPARAM lParam);

    // The Run value (its own source file).
    void CheckRunValue();
    void OnStartWithWindows();

    HICON m_hIcon;
    BOOL m_bShowAllowed;
    CTrayIcon m_trayIcon;
    CTypedPtrArray<DockEntry> m_arrWindows;
    CTypedPtrArray<DockEntry> m_arrDocked;

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

    // "Options": allow the dialog to show and bring it out of the tray.
    void ShowOptions();

    // Removes the record's icon, destroys it and frees the record.
    static void ReleaseDocked(DockEntry* entry);

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

// The sweep timer of the dialog.
constexpr UINT_PTR IDT_SWEEP = 10;
