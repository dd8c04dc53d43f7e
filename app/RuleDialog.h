#pragma once
#include "docking/RuleStore.h"
#include "framework/Dialog.h"

class CDocker;

// The fields of the dialog that edits a rule, and what they make: the
// program (a file name or a full path; blanks and quotes around it are
// dropped), the title and class patterns as typed, and the triggers.
enum RuleField : int {
    RULE_FIELD_NONE,      // they make a rule
    RULE_FIELD_PROGRAM,   // empty, or too long for a path
    RULE_FIELD_TITLE,     // too long
    RULE_FIELD_CLASS,     // too long
    RULE_FIELD_WHEN,      // neither trigger
};
RuleField RuleFromFields(LPCWSTR pszProgram, LPCWSTR pszTitle, LPCWSTR pszClass, bool bOpens, bool bMinimized,
                         Rule* pRule);

// What the list of rules says of a rule's triggers.
LPCWSTR WhenText(DWORD dwWhen);

// The dialog that edits one rule, over the dialog that lists them. Its
// program box offers the programs that have windows listed now. Escape and
// Cancel close it alone, leaving the rule as it was.
class CRuleDialog : public CDialog {
public:
    CRuleDialog(CWnd* pParent, const CDocker& docker, Rule& rule);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void OfferPrograms();

    const CDocker& m_docker;
    Rule& m_rule;
};
