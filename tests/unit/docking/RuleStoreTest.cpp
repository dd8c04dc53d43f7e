// The rules as the registry holds them: what makes a rule, what is left out,
// and Traylet's own changes (that they leave alone what is no rule, byte for
// byte, the fault run shows against the real program).
#include "docking/RuleStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const wchar_t kKey[] = L"Software\\TrayletTest\\RuleStore";

// A rules key of the test's own, empty at first and gone afterwards.
class TestKey {
public:
    TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
    ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
    // Exactly these bytes: a non-zero byte after them keeps the registry
    // from adding a NUL to a string.
    void Set(const std::wstring& sub, const wchar_t* name, DWORD type, const void* data, size_t size)
    {
        std::vector<BYTE> bytes(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
        bytes.push_back(0xA5);
        RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\" + sub).c_str(), name, type, bytes.data(),
                        static_cast<DWORD>(size));
    }
    void Text(const std::wstring& sub, const wchar_t* name, const std::wstring& text, bool nul = true)
    {
        Set(sub, name, REG_SZ, text.c_str(), (text.size() + nul) * sizeof(wchar_t));
    }
    void Dword(const std::wstring& sub, const wchar_t* name, DWORD value) { Set(sub, name, REG_DWORD, &value, 4); }
    void Rule(const std::wstring& sub, const wchar_t* program, DWORD when)
    {
        Text(sub, L"Program", program);
        Dword(sub, L"When", when);
    }
};

std::vector<std::wstring> Names(const CRuleStore& store)
{
    std::vector<std::wstring> out;
    for (int i = 0; i < store.Count(); ++i)
        out.push_back(store[i].szName);
    std::sort(out.begin(), out.end());
    return out;
}

int IndexOf(const CRuleStore& store, const wchar_t* name)
{
    for (int i = 0; i < store.Count(); ++i)
        if (std::wstring(store[i].szName) == name)
            return i;
    return -1;
}

TEST(RuleStore, ReadsRulesAndLeavesOutWhatIsNoRule)
{
    TestKey key;
    key.Rule(L"plain", L"notepad.exe", RULE_OPENS);
    key.Rule(L"patterns", L"C:\\Mail\\mail.exe", RULE_BOTH);
    key.Text(L"patterns", L"Title", L"*Inbox*");
    key.Text(L"patterns", L"Class", L"Mail?");
    key.Text(L"no NUL", L"Program", L"a.exe", false);
    key.Dword(L"no NUL", L"When", RULE_MINIMIZED);
    key.Rule(L"empty title", L"b.exe", RULE_OPENS);
    key.Text(L"empty title", L"Title", L"");

    // None of these is a rule; each, read as one (or as a broader one),
    // would dock every window of its program.
    const std::wstring big(32768, L'A'), stars(5000, L'*');
    key.Dword(L"no program", L"When", RULE_OPENS);
    key.Rule(L"dword program", L"c.exe", RULE_OPENS);
    key.Dword(L"dword program", L"Program", 1);
    key.Rule(L"expand program", L"c.exe", RULE_OPENS);
    key.Set(L"expand program", L"Program", REG_EXPAND_SZ, L"c.exe", 12);
    key.Rule(L"empty program", L"", RULE_OPENS);
    key.Rule(L"64 KB program", big.c_str(), RULE_OPENS);
    for (const wchar_t* value : {L"Title", L"Class"}) {
        key.Rule(std::wstring(L"64 KB ") + value, L"c.exe", RULE_OPENS);
        key.Text(std::wstring(L"64 KB ") + value, value, big);
        key.Rule(std::wstring(L"binary ") + value, L"c.exe", RULE_OPENS);
        key.Set(std::wstring(L"binary ") + value, value, REG_BINARY, L"x", 4);
    }
    key.Rule(L"stars", L"c.exe", RULE_OPENS);
    key.Text(L"stars", L"Title", stars);
    key.Text(L"no when", L"Program", L"c.exe");
    for (DWORD when : {0u, 4u, 5u, 0xFFFFFFFFu})
        key.Rule(L"when " + std::to_wstring(when), L"c.exe", when);
    key.Rule(L"short when", L"c.exe", RULE_OPENS);
    key.Set(L"short when", L"When", REG_DWORD, "\x01\x00", 2);
    key.Rule(L"text when", L"c.exe", RULE_OPENS);
    key.Text(L"text when", L"When", L"1");

    CRuleStore store(kKey);
    store.Load();
    EXPECT_EQ((std::vector<std::wstring>{L"empty title", L"no NUL", L"patterns", L"plain"}), Names(store));
    const Rule& r = store[IndexOf(store, L"patterns")];
    EXPECT_STREQ(L"C:\\Mail\\mail.exe", r.szProgram);
    EXPECT_STREQ(L"*Inbox*", r.szTitle);
    EXPECT_STREQ(L"Mail?", r.szClass);
    EXPECT_EQ(RULE_BOTH, r.dwWhen);
    EXPECT_STREQ(L"a.exe", store[IndexOf(store, L"no NUL")].szProgram);

}

TEST(RuleStore, ChangesWriteWhatTheyGiveAndTakeNothingOver)
{
    TestKey key;
    key.Rule(L"notepad.exe", L"notepad.exe", 0);   // no rule, and its name is taken
    CRuleStore store(kKey);
    store.Load();
    ASSERT_EQ(0, store.Count());

    Rule rule{};
    lstrcpyW(rule.szProgram, L"C:\\Windows\\notepad.exe");
    lstrcpyW(rule.szTitle, L"*.txt - Notepad");
    rule.dwWhen = RULE_MINIMIZED;
    ASSERT_TRUE(store.Add(rule));
    ASSERT_EQ((std::vector<std::wstring>{L"notepad.exe (2)"}), Names(store));
    EXPECT_STREQ(L"*.txt - Notepad", store[0].szTitle);

    // A pattern given up is deleted, not stored empty.
    rule = store[0];
    rule.szTitle[0] = L'\0';
    lstrcpyW(rule.szClass, L"Notepad");
    ASSERT_TRUE(store.Replace(0, rule));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\notepad.exe (2)").c_str(),
                                                 L"Title", RRF_RT_ANY, nullptr, nullptr, nullptr));
    EXPECT_STREQ(L"Notepad", store[0].szClass);

    // Changed by someone else since it was read: left as they left it.
    key.Dword(L"notepad.exe (2)", L"When", RULE_BOTH);
    rule.dwWhen = RULE_OPENS;
    EXPECT_FALSE(store.Replace(0, rule));
    EXPECT_EQ(RULE_BOTH, store[0].dwWhen);   // read again
    key.Dword(L"notepad.exe (2)", L"When", RULE_OPENS);
    EXPECT_FALSE(store.Remove(0));
    ASSERT_TRUE(store.Remove(0));
    HKEY h = nullptr;
    DWORD subkeys = 0;
    RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &h);
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(h);
    EXPECT_EQ(1u, subkeys);   // the one that is no rule, left as it was

    // Nothing is written for what is no rule.
    rule = Rule{};
    lstrcpyW(rule.szProgram, L"e.exe");
    EXPECT_FALSE(store.Add(rule));
    rule.dwWhen = 8;
    EXPECT_FALSE(store.Add(rule));
}

TEST(RuleStore, ARuleNamesAProgramAndMatchesItsPatterns)
{
    Rule r{};
    lstrcpyW(r.szProgram, L"notepad");
    const wchar_t* path = L"C:\\Windows\\NOTEPAD.EXE";
    EXPECT_TRUE(RuleMatches(r, path, nullptr, nullptr));
    EXPECT_FALSE(RuleMatches(r, L"C:\\Windows\\notepad2.exe", nullptr, nullptr));
    EXPECT_FALSE(RuleMatches(r, nullptr, L"x", L"y"));
    lstrcpyW(r.szTitle, L"*.log - Notepad");
    lstrcpyW(r.szClass, L"Note?ad");
    EXPECT_TRUE(RuleMatches(r, path, L"app.LOG - Notepad", L"notepad"));
    EXPECT_FALSE(RuleMatches(r, path, L"app.txt - Notepad", L"notepad"));
    EXPECT_FALSE(RuleMatches(r, path, L"app.log - Notepad", L"Edit"));
    EXPECT_FALSE(RuleMatches(r, path, nullptr, nullptr));
}

}  // namespace
