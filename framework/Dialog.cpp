#include "framework/Dialog.h"

namespace {
// The dialog being created: the dialog procedure binds it at the first
// message it sees, before WM_INITDIALOG. Dialogs are made on the
// user-interface thread only.
CDialog* t_creating = nullptr;
}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE inst = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(inst, MAKEINTRESOURCEW(m_nIDTemplate), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL mem = res ? LoadResource(inst, res) : nullptr;
    auto* tmpl = mem ? static_cast<LPCDLGTEMPLATEW>(LockResource(mem)) : nullptr;
    if (!tmpl)
        return -1;

    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    CDialog* const outer = t_creating;
    t_creating = this;
    HWND hwnd = CreateDialogIndirectParamW(inst, tmpl, parent, DialogProc, reinterpret_cast<LPARAM>(this));
    t_creating = outer;
    if (!hwnd) {
        m_hWnd = nullptr;
        return -1;
    }

    // Modal to its parent, as the system's dialog boxes are: the parent
    // takes no input until this one ends, and is enabled again before this
    // one goes, so that the activation goes back to it.
    const bool disabled = parent && !EnableWindow(parent, FALSE);
    const INT_PTR result = RunModalLoop(MLF_SHOWONIDLE);
    if (disabled)
        EnableWindow(parent, TRUE);
    DestroyWindow();
    return result;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam)
{
    if (FromHandlePermanent(hwnd))
        return FALSE;   // bound: our subclass saw the message first; the rest is the system's

    CDialog* self = t_creating;
    if (!self && message == WM_INITDIALOG)
        self = reinterpret_cast<CDialog*>(lParam);
    if (!self)
        return FALSE;
    t_creating = nullptr;

    // From here on every message reaches our procedure first and the
    // system's dialog procedure stands behind it as default processing.
    self->Attach(hwnd);
    self->m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    if (message == WM_INITDIALOG)
        return self->WindowProc(WM_INITDIALOG, 0, lParam);
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        RECT before{};
        GetWindowRect(m_hWnd, &before);
        const BOOL focusDefault = OnInitDialog();
        RECT after{};
        GetWindowRect(m_hWnd, &after);
        if (EqualRect(&before, &after))
            CenterWindow();
        return focusDefault;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM)
{
    // A button click carries BN_CLICKED (0) in the high word, and so does a
    // command from the keyboard interface.
    if (wParam == IDOK) {
        OnOK();
        return TRUE;
    }
    if (wParam == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult)
{
    EndModalLoop(nResult);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // Keyboard navigation between the controls.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hWnd &&
        (pMsg->hwnd == m_hWnd || IsChild(m_hWnd, pMsg->hwnd)))
        return IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}

void CDialog::CenterWindow()
{
    RECT rc{}, area{};
    GetWindowRect(m_hWnd, &rc);
    HWND parent = GetParent(m_hWnd);
    if (parent && IsWindowVisible(parent) && !IsIconic(parent))
        GetWindowRect(parent, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
