#pragma once
#include "framework/Wnd.h"

// A dialog made from a template in the program's resources and run modally
// by its own message loop (RunModalLoop), so that queued messages pass
// through PreTranslateMessage before they are dispatched.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Creates the window, runs the modal loop, destroys the window. Returns
    // the value given to EndDialog, -1 when a quit message ended the loop or
    // the window could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // TRUE lets the system put the focus on the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void CenterWindow();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
