// The command line: its verbs, the selectors they take, and what a
// selector matches.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(CommandLine, GoodCommands)
{
    // The verbs that take nothing after them.
    for (const auto& [text, verb] : {std::pair{L"", Command::kNone}, std::pair{L"  ", Command::kNone},
                                     std::pair{L"/undock-all", Command::kUndockAll},
                                     std::pair{L"/list ", Command::kList}, std::pair{L"/?", Command::kHelp}}) {
        Command c{};
        ASSERT_TRUE(ParseCommand(text, &c)) << text;
        EXPECT_EQ(verb, c.verb) << text;
    }

    Command c{};
    ASSERT_TRUE(ParseCommand(L"/dock notepad", &c));
    EXPECT_EQ(Command::kDock, c.verb);
    EXPECT_EQ(WindowSelector::kTitle, c.selector.kind);
    EXPECT_EQ(std::wstring(L"*notepad*"), c.selector.szText);

    ASSERT_TRUE(ParseCommand(L"-UNDOCK \"title:Untitled - Notepad\"", &c));
    EXPECT_EQ(Command::kUndock, c.verb);
    EXPECT_EQ(std::wstring(L"Untitled - Notepad"), c.selector.szText);
    ASSERT_TRUE(ParseCommand(L"/dock title:\"a  b\"", &c));   // quotes inside a word group too
    EXPECT_EQ(std::wstring(L"a  b"), c.selector.szText);

    ASSERT_TRUE(ParseCommand(L"/run notepad", &c));
    EXPECT_EQ(Command::kRun, c.verb);
    EXPECT_EQ(10u, c.dwWaitSeconds);
    EXPECT_EQ(std::wstring(L"notepad"), c.szRun);
    // The program's own command line is left as it stands, quotes and all.
    ASSERT_TRUE(ParseCommand(L"/wait 30 /run \"C:\\Program Files\\x.exe\"  /min \"a b\"", &c));
    EXPECT_EQ(30u, c.dwWaitSeconds);
    EXPECT_EQ(std::wstring(L"\"C:\\Program Files\\x.exe\"  /min \"a b\""), c.szRun);
}

TEST(CommandLine, BadCommandsAreRefused)
{
    const std::wstring tooLong = L"/dock " + std::wstring(2000, L'x');
    for (const wchar_t* bad :
         {L"/frobnicate", L"dock notepad", L"/dock", L"/dock title:", L"/dock program:", L"/dock class:",
          L"/dock \"\"", L"/dock pid:abc", L"/dock pid:0", L"/dock pid:4294967296", L"/dock pid:-1",
          L"/dock hwnd:", L"/dock hwnd:0x", L"/dock hwnd:0", L"/dock hwnd:xyz", L"/dock hwnd:0x123456789",
          L"/dock a b", L"/undock-all now", L"/list x", L"/run", L"/run   ", L"/wait /run x", L"/wait 0 /run x",
          L"/wait 5", L"/wait 5 /dock x", L"/wait abc /run x", tooLong.c_str()}) {
        Command c{};
        EXPECT_FALSE(ParseCommand(bad, &c)) << bad;
    }
}

TEST(CommandLine, ProgramNameIsSkipped)
{
    EXPECT_EQ(std::wstring(L"/list"), SkipProgramName(L"\"C:\\Program Files\\Traylet.exe\"  /list"));
    EXPECT_EQ(std::wstring(L"/dock x"), SkipProgramName(L"Traylet.exe /dock x"));
    EXPECT_EQ(std::wstring(L""), SkipProgramName(L"Traylet.exe"));
    EXPECT_EQ(std::wstring(L""), SkipProgramName(L"\"C:\\unterminated"));
}

TEST(Selector, EachKindMatchesWhatItNames)
{
    const HWND h = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234));
    const WindowFacts facts{h, 42, L"Untitled - Notepad", L"Notepad", L"C:\\Windows\\notepad.exe"};
    struct Case { const wchar_t* selector; bool match; } cases[] = {
        {L"title:untitled - notepad", true}, {L"title:Untitled", false}, {L"Untitled", true},
        {L"notepad", true}, {L"Wordpad", false}, {L"program:notepad.exe", true}, {L"program:NOTEPAD", true},
        {L"program:write.exe", false}, {L"class:note*", true}, {L"class:Edit", false}, {L"pid:42", true},
        {L"pid:43", false}, {L"hwnd:0x1234", true}, {L"HWND:1234", true}, {L"hwnd:0x1235", false},
    };
    for (const Case& c : cases) {
        WindowSelector s{};
        ASSERT_TRUE(ParseSelector(c.selector, &s)) << c.selector;
        EXPECT_EQ(c.match, SelectorMatches(s, facts)) << c.selector;
    }
    // A handle whose top bit is set is widened as the system widens one.
    WindowSelector s{};
    ASSERT_TRUE(ParseSelector(L"hwnd:0xFFFF8002", &s));
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(0xFFFF8002u))), s.hWnd);
}

}  // namespace
