#pragma once
#include "framework/PtrArray.h"

// When a rule docks the windows it names: as they open, as they are
// minimized, or both. Any other When makes no rule.
constexpr DWORD RULE_OPENS = 1;
constexpr DWORD RULE_MINIMIZED = 2;
constexpr DWORD RULE_BOTH = RULE_OPENS | RULE_MINIMIZED;

// Where the rules live under HKEY_CURRENT_USER: one subkey per rule, of any
// name, with Program (REG_SZ), Title and Class (REG_SZ, optional) and When
// (REG_DWORD).
extern const wchar_t kRulesKey[];

// One rule as read. Zero-filled when allocated.
struct Rule {
    static constexpr int kMaxName = 256;      // a subkey name's limit, NUL included
    static constexpr int kMaxPattern = 512;   // NUL included: a longer pattern makes no rule
    WCHAR szName[kMaxName];                   // its subkey
    WCHAR szProgram[MAX_PATH];                // a file name, or a full path
    WCHAR szTitle[kMaxPattern];               // empty: any title
    WCHAR szClass[kMaxPattern];               // empty: any class
    DWORD dwWhen;
};

// Whether the rule names a window of the program at pszPath with this title
// and class (either may be null when the rule has no pattern for it).
bool RuleMatches(const Rule& rule, LPCWSTR pszPath, LPCWSTR pszTitle, LPCWSTR pszClass);

// Reads the subkey pszName of an open rules key. False, and *pRule
// unspecified, when it is no rule: Program missing, of another type, empty
// or too long for a path; When missing, not a four-byte REG_DWORD, or
// anything but 1, 2 or 3; Title or Class of another type or too long. Never
// writes anything.
bool ReadRule(HKEY hRules, LPCWSTR pszName, Rule* pRule);

// The rules under one key (kRulesKey; tests give their own). Subkeys that
// are no rule are left out, and neither Traylet's reads nor its writes ever
// touch them.
class CRuleStore {
public:
    explicit CRuleStore(LPCWSTR pszKey = kRulesKey) : m_pszKey(pszKey) {}
    ~CRuleStore() { Clear(); }
    CRuleStore(const CRuleStore&) = delete;
    CRuleStore& operator=(const CRuleStore&) = delete;

    void SetKey(LPCWSTR pszKey) { m_pszKey = pszKey; }

    // Reads every rule anew: at most kMaxRules, in the order of their
    // subkeys.
    static constexpr int kMaxRules = 256;
    void Load();
    int Count() const { return m_rules.GetSize(); }
    const Rule& operator[](int i) const { return *m_rules[i]; }

    // Changes, each written at once and then every rule read again. Add
    // makes a new subkey named after the program's file name. Replace and
    // Remove act only on a subkey that still reads as the rule i did: one
    // changed by someone else meanwhile is left as it is. False when nothing
    // was changed.
    bool Add(const Rule& rule);
    bool Replace(int i, const Rule& rule);
    bool Remove(int i);

private:
    void Clear();
    bool Unchanged(HKEY hRules, int i) const;

    CTypedPtrArray<Rule> m_rules;
    LPCWSTR m_pszKey;
};
