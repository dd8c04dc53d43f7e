#include "app/RuleList.h"

#include "app/RuleDialog.h"
#include "docking/Docker.h"
#include "res/resource.h"

#include <commctrl.h>
#include <new>

namespace {

// Columns in dialog units, so that they grow with the dialog's font.
struct Column {
    LPCWSTR pszName;
    int nWidth;
};
const Column kColumns[] = {{L"Program", 70}, {L"When", 38}, {L"Title", 40}, {L"Class", 30}};

}  // namespace

void CRuleList::Init(CWnd* pDialog, CDocker& docker)
{
    m_pDialog = pDialog;
    m_pDocker = &docker;
    SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(kColumns)); ++i) {
        RECT units{0, 0, kColumns[i].nWidth, 0};
        MapDialogRect(m_pDialog->m_hWnd, &units);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<LPWSTR>(kColumns[i].pszName);
        column.cx = units.right;
        SendMessageW(List(), LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    Show();
}

HWND CRuleList::List() const
{
    return GetDlgItem(m_pDialog->m_hWnd, IDC_RULES_LIST);
}

void CRuleList::Show()
{
    if (!m_pDialog)
        return;
    const int selected = Selected();
    const CRuleStore& store = m_pDocker->Rules().Store();
    SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < store.Count(); ++i) {
        const Rule& rule = store[i];
        const LPCWSTR texts[] = {rule.szProgram, WhenText(rule.dwWhen), rule.szTitle, rule.szClass};
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<LPWSTR>(texts[0]);
        SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (item.iSubItem = 1; item.iSubItem < static_cast<int>(ARRAYSIZE(texts)); ++item.iSubItem) {
            item.pszText = const_cast<LPWSTR>(texts[item.iSubItem]);
            SendMessageW(List(), LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        }
    }
    // The same row as before, or the first: Change and Remove have a rule
    // to act on whenever there is one.
    Select(selected < 0 ? (store.Count() > 0 ? 0 : -1) : (selected < store.Count() ? selected : store.Count() - 1));
}

int CRuleList::Selected() const
{
    return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CRuleList::Select(int i)
{
    if (i >= 0) {
        LVITEMW item{};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(List(), LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
        SendMessageW(List(), LVM_ENSUREVISIBLE, i, FALSE);
    }
    EnableButtons();
}

void CRuleList::EnableButtons()
{
    const BOOL any = Selected() >= 0;
    EnableWindow(GetDlgItem(m_pDialog->m_hWnd, IDC_RULE_CHANGE), any);
    EnableWindow(GetDlgItem(m_pDialog->m_hWnd, IDC_RULE_REMOVE), any);
}

BOOL CRuleList::OnCommand(WPARAM wParam)
{
    if (!m_pDialog || HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_RULE_ADD:
        Edit(-1);
        return TRUE;
    case IDC_RULE_CHANGE:
        Change();
        return TRUE;
    case IDC_RULE_REMOVE:
        Remove(Selected());
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CRuleList::OnNotify(const NMHDR* pHeader)
{
    if (!m_pDialog || pHeader->idFrom != IDC_RULES_LIST)
        return FALSE;
    switch (pHeader->code) {
    case NM_DBLCLK:
        Change();
        return TRUE;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN*>(pHeader)->wVKey == VK_DELETE)
            Remove(Selected());
        return TRUE;
    case LVN_ITEMCHANGED:
        EnableButtons();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CRuleList::PreTranslateMessage(const MSG* pMsg)
{
    // The dialog manager would take Enter for the dialog's OK, which ends
    // the dialog and the program with it: on a rule it means Change.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && m_pDialog && pMsg->hwnd == List()) {
        Change();
        return TRUE;
    }
    return FALSE;
}

void CRuleList::Change()
{
    if (const int i = Selected(); i >= 0)
        Edit(i);
}

void CRuleList::Edit(int i)
{
    CRules& rules = m_pDocker->Rules();
    if (i >= rules.Store().Count())
        return;
    auto* rule = new (std::nothrow) Rule();
    if (!rule)
        return;
    if (i >= 0)
        *rule = rules.Store()[i];
    else
        rule->dwWhen = RULE_OPENS;
    CRuleDialog dialog(m_pDialog, *m_pDocker, *rule);
    if (dialog.DoModal() == IDOK && !(i >= 0 ? rules.Replace(i, *rule) : rules.Add(*rule)))
        MessageBeep(MB_ICONWARNING);   // the registry refused, or another hand changed the rule first
    Show();
    // The rule just written, wherever it now stands.
    for (int n = 0; n < rules.Store().Count(); ++n) {
        const Rule& r = rules.Store()[n];
        if (!lstrcmpW(r.szProgram, rule->szProgram) && !lstrcmpW(r.szTitle, rule->szTitle) &&
            !lstrcmpW(r.szClass, rule->szClass) && r.dwWhen == rule->dwWhen) {
            Select(n);
            break;
        }
    }
    delete rule;
}

void CRuleList::Remove(int i)
{
    if (i < 0)
        return;
    if (!m_pDocker->Rules().Remove(i))
        MessageBeep(MB_ICONWARNING);
    Show();
}
