// What the fields of the rule dialog make: a rule, or the field to mend.
#include "app/RuleDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RuleFields, MakeARuleOrNameTheFieldToMend)
{
    Rule r{};
    ASSERT_EQ(RULE_FIELD_NONE, RuleFromFields(L"  \"C:\\Program Files\\Mail\\mail.exe\" ", L"*Inbox* ", L"", true,
                                              false, &r));
    EXPECT_STREQ(L"C:\\Program Files\\Mail\\mail.exe", r.szProgram);
    EXPECT_STREQ(L"*Inbox* ", r.szTitle);   // a title's blanks are its own
    EXPECT_EQ(RULE_OPENS, r.dwWhen);
    ASSERT_EQ(RULE_FIELD_NONE, RuleFromFields(L"notepad", L"", L"Notepad", true, true, &r));
    EXPECT_EQ(RULE_BOTH, r.dwWhen);
    EXPECT_STREQ(L"Notepad", r.szClass);

    const std::wstring longPath(MAX_PATH, L'p'), longPattern(Rule::kMaxPattern, L'*');
    Rule untouched{};
    EXPECT_EQ(RULE_FIELD_PROGRAM, RuleFromFields(L" \"\" ", L"", L"", true, false, &untouched));
    EXPECT_EQ(RULE_FIELD_PROGRAM, RuleFromFields(longPath.c_str(), L"", L"", true, false, &untouched));
    EXPECT_EQ(RULE_FIELD_TITLE, RuleFromFields(L"a.exe", longPattern.c_str(), L"", true, false, &untouched));
    EXPECT_EQ(RULE_FIELD_CLASS, RuleFromFields(L"a.exe", L"", longPattern.c_str(), true, false, &untouched));
    EXPECT_EQ(RULE_FIELD_WHEN, RuleFromFields(L"a.exe", L"", L"", false, false, &untouched));
    EXPECT_STREQ(L"", untouched.szProgram);
    EXPECT_STREQ(L"both", WhenText(RULE_BOTH));
}

}  // namespace
