#include "docking/RuleStore.h"

#include "docking/Pattern.h"
#include "framework/Registry.h"

#include <new>

const wchar_t kRulesKey[] = L"Software\\Traylet\\Rules";

namespace {

// Any program may have written the subkeys: reading one never reads more
// than a rule can hold, and how many are looked at is bounded too.
constexpr int kMaxSubkeysRead = 4 * CRuleStore::kMaxRules;

enum class Text { Missing, Bad, Read };

// A REG_SZ value into a buffer of cch characters. Its text ends at its first
// NUL, or with its data when it has none.
Text ReadText(HKEY hKey, LPCWSTR pszName, WCHAR* pszBuf, int cch)
{
    DWORD type = 0, cb = 0;
    const LONG rc = RegQueryValueExW(hKey, pszName, nullptr, &type, nullptr, &cb);
    if (rc == ERROR_FILE_NOT_FOUND)
        return Text::Missing;
    BYTE* data = nullptr;
    DWORD cbData = 0;
    if (rc != ERROR_SUCCESS ||
        !QueryRegValue(hKey, pszName, REG_SZ, static_cast<DWORD>(cch) * sizeof(WCHAR), &data, &cbData))
        return Text::Bad;
    const int units = static_cast<int>(cbData / sizeof(WCHAR));
    int n = 0;
    for (; n < units; ++n) {
        WCHAR c;
        CopyMemory(&c, data + n * sizeof(WCHAR), sizeof c);
        if (!c)
            break;
        pszBuf[n] = c;
    }
    delete[] data;
    if (n >= cch)
        return Text::Bad;   // no room left for the NUL
    pszBuf[n] = L'\0';
    return Text::Read;
}

bool ReadWhen(HKEY hKey, DWORD* pdwWhen)
{
    BYTE* data = nullptr;
    DWORD cb = 0;
    if (!QueryRegValue(hKey, L"When", REG_DWORD, sizeof(DWORD), &data, &cb))
        return false;
    DWORD when = 0;
    const bool whole = cb == sizeof when;
    if (whole)
        CopyMemory(&when, data, sizeof when);
    delete[] data;
    // Bits that mean nothing yet may mean something to a later Traylet: such
    // a rule is not half-obeyed.
    *pdwWhen = when;
    return whole && when >= RULE_OPENS && when <= RULE_BOTH;
}

bool SameRule(const Rule& a, const Rule& b)
{
    return lstrcmpW(a.szName, b.szName) == 0 && lstrcmpW(a.szProgram, b.szProgram) == 0 &&
           lstrcmpW(a.szTitle, b.szTitle) == 0 && lstrcmpW(a.szClass, b.szClass) == 0 && a.dwWhen == b.dwWhen;
}

LONG SetText(HKEY hKey, LPCWSTR pszName, LPCWSTR pszText)
{
    return RegSetValueExW(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                          static_cast<DWORD>((lstrlenW(pszText) + 1) * sizeof(WCHAR)));
}

// Program, When, and the patterns the rule has; a pattern it has not is
// deleted, so that what is stored is the rule as given.
bool WriteValues(HKEY hKey, const Rule& rule)
{
    bool ok = SetText(hKey, L"Program", rule.szProgram) == ERROR_SUCCESS &&
              RegSetValueExW(hKey, L"When", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&rule.dwWhen),
                             sizeof rule.dwWhen) == ERROR_SUCCESS;
    const struct {
        LPCWSTR pszName;
        LPCWSTR pszPattern;
    } patterns[] = {{L"Title", rule.szTitle}, {L"Class", rule.szClass}};
    for (const auto& p : patterns) {
        if (p.pszPattern[0])
            ok = ok && SetText(hKey, p.pszName, p.pszPattern) == ERROR_SUCCESS;
        else
            RegDeleteValueW(hKey, p.pszName);
    }
    return ok;
}

bool IsWritable(const Rule& rule)
{
    return rule.szProgram[0] && rule.dwWhen >= RULE_OPENS && rule.dwWhen <= RULE_BOTH;
}

}  // namespace

bool RuleMatches(const Rule& rule, LPCWSTR pszPath, LPCWSTR pszTitle, LPCWSTR pszClass)
{
    if (!pszPath || !MatchProgram(rule.szProgram, pszPath))
        return false;
    if (rule.szTitle[0] && !(pszTitle && MatchPattern(rule.szTitle, pszTitle)))
        return false;
    return !rule.szClass[0] || (pszClass && MatchPattern(rule.szClass, pszClass));
}

bool ReadRule(HKEY hRules, LPCWSTR pszName, Rule* pRule)
{
    CRegKey key;
    if (key.Open(hRules, pszName, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    *pRule = Rule{};
    lstrcpynW(pRule->szName, pszName, Rule::kMaxName);
    // An optional pattern that cannot be read makes no rule rather than a
    // broader one: a rule must never dock more than its writer meant.
    return ReadText(key, L"Program", pRule->szProgram, MAX_PATH) == Text::Read && pRule->szProgram[0] &&
           ReadText(key, L"Title", pRule->szTitle, Rule::kMaxPattern) != Text::Bad &&
           ReadText(key, L"Class", pRule->szClass, Rule::kMaxPattern) != Text::Bad && ReadWhen(key, &pRule->dwWhen);
}

void CRuleStore::Clear()
{
    for (int i = 0; i < m_rules.GetSize(); ++i)
        delete m_rules[i];
    m_rules.RemoveAll();
}

void CRuleStore::Load()
{
    Clear();
    CRegKey rules;
    if (rules.Open(HKEY_CURRENT_USER, m_pszKey, KEY_READ) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; i < static_cast<DWORD>(kMaxSubkeysRead) && m_rules.GetSize() < kMaxRules; ++i) {
        WCHAR szName[Rule::kMaxName];
        DWORD cch = Rule::kMaxName;
        const LONG rc = RegEnumKeyExW(rules, i, szName, &cch, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
            continue;
        auto* rule = new (std::nothrow) Rule();
        if (!rule || !ReadRule(rules, szName, rule) || m_rules.Add(rule) < 0)
            delete rule;
    }
}

bool CRuleStore::Unchanged(HKEY hRules, int i) const
{
    auto* now = new (std::nothrow) Rule();
    const bool same = now && ReadRule(hRules, m_rules[i]->szName, now) && SameRule(*now, *m_rules[i]);
    delete now;
    return same;
}

bool CRuleStore::Add(const Rule& rule)
{
    if (!IsWritable(rule))
        return false;
    CRegKey rules;
    if (rules.Create(HKEY_CURRENT_USER, m_pszKey, REG_OPTION_NON_VOLATILE, KEY_CREATE_SUB_KEY) != ERROR_SUCCESS)
        return false;
    // Named after the program, as a person reading the registry would look
    // for it; a name in use, by a rule or by anything else, is never taken
    // over.
    LPCWSTR file = FileNameOf(rule.szProgram);
    WCHAR szBase[200];
    lstrcpynW(szBase, *file ? file : L"Rule", 200);
    bool ok = false;
    for (int n = 1; n < 100 && !ok; ++n) {
        WCHAR szName[Rule::kMaxName];
        if (n == 1)
            lstrcpyW(szName, szBase);
        else
            wsprintfW(szName, L"%s (%d)", szBase, n);
        HKEY h = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(rules, szName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &h,
                            &disposition) != ERROR_SUCCESS)
            continue;
        CRegKey sub(h);
        if (disposition != REG_CREATED_NEW_KEY)
            continue;
        ok = WriteValues(sub, rule);
    }
    Load();
    return ok;
}

bool CRuleStore::Replace(int i, const Rule& rule)
{
    if (i < 0 || i >= Count() || !IsWritable(rule))
        return false;
    CRegKey rules, sub;
    const bool ok = rules.Open(HKEY_CURRENT_USER, m_pszKey, KEY_READ) == ERROR_SUCCESS && Unchanged(rules, i) &&
                    sub.Open(rules, m_rules[i]->szName, KEY_SET_VALUE) == ERROR_SUCCESS && WriteValues(sub, rule);
    Load();
    return ok;
}

bool CRuleStore::Remove(int i)
{
    if (i < 0 || i >= Count())
        return false;
    CRegKey rules;
    const bool ok = rules.Open(HKEY_CURRENT_USER, m_pszKey, KEY_READ | KEY_WRITE) == ERROR_SUCCESS &&
                    Unchanged(rules, i) && RegDeleteKeyW(rules, m_rules[i]->szName) == ERROR_SUCCESS;
    Load();
    return ok;
}
