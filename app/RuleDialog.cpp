#include "app/RuleDialog.h"

#include "docking/Docker.h"
#include "docking/Pattern.h"
#include "docking/ProgramFiles.h"
#include "res/resource.h"

namespace {

bool IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t' || c == L'"';
}

// Fields are read a little past their limits, so that a text too long is
// told from one that fits.
constexpr int kFieldRoom = Rule::kMaxPattern + 2;

}  // namespace

RuleField RuleFromFields(LPCWSTR pszProgram, LPCWSTR pszTitle, LPCWSTR pszClass, bool bOpens, bool bMinimized,
                         Rule* pRule)
{
    while (IsBlank(*pszProgram))
        ++pszProgram;
    int cch = lstrlenW(pszProgram);
    while (cch > 0 && IsBlank(pszProgram[cch - 1]))
        --cch;
    if (cch == 0 || cch >= MAX_PATH)
        return RULE_FIELD_PROGRAM;
    if (lstrlenW(pszTitle) >= Rule::kMaxPattern)
        return RULE_FIELD_TITLE;
    if (lstrlenW(pszClass) >= Rule::kMaxPattern)
        return RULE_FIELD_CLASS;
    if (!bOpens && !bMinimized)
        return RULE_FIELD_WHEN;
    lstrcpynW(pRule->szProgram, pszProgram, cch + 1);
    lstrcpyW(pRule->szTitle, pszTitle);
    lstrcpyW(pRule->szClass, pszClass);
    pRule->dwWhen = (bOpens ? RULE_OPENS : 0) | (bMinimized ? RULE_MINIMIZED : 0);
    return RULE_FIELD_NONE;
}

LPCWSTR WhenText(DWORD dwWhen)
{
    switch (dwWhen) {
    case RULE_OPENS:
        return L"opens";
    case RULE_MINIMIZED:
        return L"minimized";
    default:
        return L"both";
    }
}

CRuleDialog::CRuleDialog(CWnd* pParent, const CDocker& docker, Rule& rule)
    : CDialog(IDD_RULE, pParent), m_docker(docker), m_rule(rule)
{
}

BOOL CRuleDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    OfferPrograms();
    SendDlgItemMessageW(m_hWnd, IDC_RULE_PROGRAM, CB_LIMITTEXT, kFieldRoom, 0);
    SendDlgItemMessageW(m_hWnd, IDC_RULE_TITLE, EM_LIMITTEXT, kFieldRoom, 0);
    SendDlgItemMessageW(m_hWnd, IDC_RULE_CLASS, EM_LIMITTEXT, kFieldRoom, 0);
    SetDlgItemTextW(m_hWnd, IDC_RULE_PROGRAM, m_rule.szProgram);
    SetDlgItemTextW(m_hWnd, IDC_RULE_TITLE, m_rule.szTitle);
    SetDlgItemTextW(m_hWnd, IDC_RULE_CLASS, m_rule.szClass);
    CheckDlgButton(m_hWnd, IDC_RULE_OPENS, (m_rule.dwWhen & RULE_OPENS) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_RULE_MINIMIZED, (m_rule.dwWhen & RULE_MINIMIZED) ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CRuleDialog::OfferPrograms()
{
    // Each program once, by its file name: what a rule made here names.
    m_docker.WalkListed(
        [](HWND hWnd, LPCWSTR, void* pCombo) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hWnd, &pid);
            LPCWSTR path = ProgramFiles().PathOf(pid);
            const HWND combo = static_cast<HWND>(pCombo);
            if (path && SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(FileNameOf(path))) == CB_ERR)
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FileNameOf(path)));
            return true;
        },
        GetDlgItem(m_hWnd, IDC_RULE_PROGRAM));
}

void CRuleDialog::OnOK()
{
    WCHAR szProgram[kFieldRoom], szTitle[kFieldRoom], szClass[kFieldRoom];
    GetDlgItemTextW(m_hWnd, IDC_RULE_PROGRAM, szProgram, kFieldRoom);
    GetDlgItemTextW(m_hWnd, IDC_RULE_TITLE, szTitle, kFieldRoom);
    GetDlgItemTextW(m_hWnd, IDC_RULE_CLASS, szClass, kFieldRoom);
    const RuleField wrong =
        RuleFromFields(szProgram, szTitle, szClass, IsDlgButtonChecked(m_hWnd, IDC_RULE_OPENS) == BST_CHECKED,
                       IsDlgButtonChecked(m_hWnd, IDC_RULE_MINIMIZED) == BST_CHECKED, &m_rule);
    if (wrong == RULE_FIELD_NONE) {
        EndDialog(IDOK);
        return;
    }
    // The field to mend gets the focus; the dialog stays.
    static const int kControls[] = {0, IDC_RULE_PROGRAM, IDC_RULE_TITLE, IDC_RULE_CLASS, IDC_RULE_OPENS};
    MessageBeep(MB_ICONWARNING);
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hWnd, kControls[wrong])), TRUE);
}
