// The patterns of rules and selectors, and the program names they give.
#include "docking/Pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Pattern, WildcardsCaseAndWholeText)
{
    struct Case { const wchar_t* pattern; const wchar_t* text; bool match; } cases[] = {
        {L"Untitled - Notepad", L"untitled - NOTEPAD", true},
        {L"*Notepad", L"notes.txt - Notepad", true},
        {L"*Notepad", L"Notepad Help", false},   // the whole title, not a part of it
        {L"Notepad", L"Notepad ", false},
        {L"*", L"", true},
        {L"", L"", true},
        {L"", L"x", false},
        {L"?", L"", false},
        {L"?", L"x", true},
        {L"a?c", L"abc", true},
        {L"a?c", L"ac", false},
        {L"*(?)*", L"Inbox (3) - Mail", true},
        {L"*(?)*", L"Inbox (12) - Mail", false},
        {L"*a*b*c*", L"xaxbxcx", true},
        {L"*a*b*c*", L"xaxcxbx", false},
        {L"a*a*a*b", L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", true},
        {L"a*a*a*b", L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {L"\u0417\u0410\u041c\u0415\u0422\u041a\u0418*", L"\u0437\u0430\u043c\u0435\u0442\u043a\u0438.txt", true},
        {L"\u03a3\u0397\u039c*", L"\u03c3\u03b7\u03bc\u03b5\u03af\u03c9\u03c3\u03b7", true},
        {L"\u7b14\u8bb0*", L"\u7b14\u8bb0\u672c", true},
        {L"x?y", L"x\U0001F600y", true},   // a surrogate pair is one character
        {L"x??y", L"x\U0001F600y", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.match, MatchPattern(c.pattern, c.text)) << std::wstring(c.pattern) << L" ~ " << c.text;
}

TEST(Pattern, VeryLongPatternsAndTextsStayCheap)
{
    const std::wstring stars(5000, L'*');
    const std::wstring title = std::wstring(300, L'n') + L"Notepad";
    EXPECT_TRUE(MatchPattern(stars.c_str(), title.c_str()));
    EXPECT_TRUE(MatchPattern((stars + L"Notepad" + stars).c_str(), title.c_str()));
    EXPECT_FALSE(MatchPattern((stars + L"Wordpad").c_str(), title.c_str()));
    // The worst shape for a backtracking matcher: many stars, each followed
    // by a character that matches almost everywhere, then one that never does.
    std::wstring hostile;
    for (int i = 0; i < 2000; ++i)
        hostile += L"*n";
    hostile += L"X";
    const DWORD t0 = GetTickCount();
    EXPECT_FALSE(MatchPattern(hostile.c_str(), title.c_str()));
    EXPECT_LT(GetTickCount() - t0, 5000u) << "the match did not end";
}

TEST(Pattern, ProgramByFileNameOrWholePath)
{
    const wchar_t* path = L"C:\\Windows\\System32\\NOTEPAD.EXE";
    EXPECT_TRUE(MatchProgram(L"notepad.exe", path));
    EXPECT_TRUE(MatchProgram(L"Notepad", path));
    EXPECT_TRUE(MatchProgram(L"c:\\windows\\system32\\notepad.exe", path));
    EXPECT_FALSE(MatchProgram(L"c:\\windows\\notepad.exe", path));
    EXPECT_FALSE(MatchProgram(L"notepad.ex", path));
    EXPECT_FALSE(MatchProgram(L"pad.exe", path));
    EXPECT_FALSE(MatchProgram(L"System32\\notepad.exe", path));   // a backslash: the whole path
    EXPECT_FALSE(MatchProgram(L"", path));
    EXPECT_TRUE(MatchProgram(L"\u0437\u0430\u043c\u0435\u0442\u043a\u0438.exe", L"D:\\\u0417\u0430\u043c\u0435\u0442\u043a\u0438.EXE"));
}

}  // namespace
