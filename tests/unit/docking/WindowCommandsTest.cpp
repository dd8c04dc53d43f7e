// The command line's verbs on the docker, the titles that follow docked
// windows into their tooltips, and the lines that /list prints.
#include "docking/WindowList.h"
#include "tests/unit/docking/DockTestSupport.h"
#include "tests/unit/tray/FakeTrayShell.h"

#include <gtest/gtest.h>

#include <string>

using docktest::WithDialog;

namespace {

constexpr DWORD kNormal = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

WindowSelector Selector(const std::wstring& text)
{
    WindowSelector s{};
    EXPECT_TRUE(ParseSelector(text.c_str(), &s)) << test::Utf8(text.c_str());
    return s;
}

WindowSelector Handle(HWND hWnd)
{
    WCHAR text[32];
    wsprintfW(text, L"hwnd:0x%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hWnd)));
    return Selector(text);
}

bool Docked(const CTrayDockDlg& dlg, HWND hWnd)
{
    return docktest::IndexOf(dlg.Docker().Docked(), hWnd) >= 0 && !IsWindowVisible(hWnd);
}

// A window of a Unicode class, so that its title keeps what no code page has.
struct UnicodeWindow {
    explicit UnicodeWindow(const wchar_t* title)
        : hwnd(CreateWindowExW(0, L"STATIC", title, kNormal, 40, 40, 200, 100, nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~UnicodeWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

TEST(CommandVerbs, EachSelectorDocksAndBringsBackTheWindowsItNames)
{
    docktest::OwnWindowsOnly own;
    WithDialog([](CTrayDockDlg& dlg) {
        CDocker& d = dlg.Docker();
        docktest::ClassWindow one("SelectorOne", "Report one"), two("SelectorTwo", "Report two");
        test::MessageLog hidden("Report hidden", WS_OVERLAPPEDWINDOW);
        WCHAR exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);

        EXPECT_EQ(kCommandNoMatch, d.DockMatching(Selector(L"nothing of the kind")));
        EXPECT_EQ(kCommandDone, d.DockMatching(Selector(L"class:selectorone")));
        EXPECT_TRUE(Docked(dlg, one.hwnd()) && !Docked(dlg, two.hwnd()));
        // A bare word is a part of the title; the hidden window is no listed one.
        EXPECT_EQ(kCommandDone, d.DockMatching(Selector(L"REPORT")));
        EXPECT_TRUE(Docked(dlg, two.hwnd()));
        EXPECT_FALSE(Docked(dlg, hidden.hwnd()));
        EXPECT_EQ(2, d.Docked().GetSize());

        // A handle names one window: docked already is no match, neither
        // listed nor docked (hidden, Traylet's own, none) is a bad command.
        EXPECT_EQ(kCommandNoMatch, d.DockMatching(Handle(one.hwnd())));
        EXPECT_EQ(kCommandBad, d.DockMatching(Handle(hidden.hwnd())));
        EXPECT_EQ(kCommandBad, d.DockMatching(Handle(dlg.m_hWnd)));
        EXPECT_EQ(kCommandBad, d.UndockMatching(Handle(hidden.hwnd())));

        EXPECT_EQ(kCommandDone, d.UndockMatching(Selector(L"title:report ONE")));
        EXPECT_TRUE(IsWindowVisible(one.hwnd()));
        EXPECT_EQ(kCommandNoMatch, d.UndockMatching(Selector(L"title:report one")));
        EXPECT_EQ(kCommandNoMatch, d.UndockMatching(Handle(one.hwnd()))) << "listed, not docked";
        EXPECT_EQ(kCommandDone, d.DockMatching(Handle(one.hwnd())));

        // A docked window its program showed again is the sweep's, not ours.
        ShowWindow(two.hwnd(), SW_SHOWNA);
        EXPECT_EQ(kCommandDone, d.UndockMatching(Selector(L"pid:" + std::to_wstring(GetCurrentProcessId()))));
        ASSERT_EQ(1, d.Docked().GetSize()) << "the shown one is left to the sweep";
        EXPECT_EQ(two.hwnd(), d.Docked()[0]->hWnd);
        EXPECT_TRUE(IsWindowVisible(one.hwnd()));
        d.Sweep();

        EXPECT_EQ(kCommandDone, d.DockMatching(Selector(std::wstring(L"program:") + exe)));
        EXPECT_TRUE(Docked(dlg, one.hwnd()) && Docked(dlg, two.hwnd()));
        EXPECT_EQ(kCommandDone, d.UndockEvery());
        EXPECT_EQ(kCommandNoMatch, d.UndockEvery());
        test::PumpFor(50);
        EXPECT_TRUE(IsWindowVisible(one.hwnd()) && IsWindowVisible(two.hwnd()));
    });
}

TEST(TitleFollows, ANewTitleBecomesTheTooltipCutAsAtDockTimeAndOnlyWhenItChanged)
{
    docktest::OwnWindowsOnly own;
    test::FakeTrayShell shell;
    WithDialog([&](CTrayDockDlg& dlg) {
        UnicodeWindow w(L"Inbox");
        ASSERT_TRUE(dlg.Docker().DockListed(w.hwnd));
        const DockEntry* e = dlg.Docker().Docked()[0];
        const HWND icon = e->pTrayIcon->m_hWnd;

        dlg.Docker().RefreshTitle(w.hwnd);
        dlg.Docker().Sweep();
        EXPECT_TRUE(shell.Calls(NIM_MODIFY, icon).empty()) << "the title did not change";

        SetWindowTextW(w.hwnd, L"Входящие (3)");
        dlg.Docker().RefreshTitle(w.hwnd);
        auto mods = shell.Calls(NIM_MODIFY, icon);
        ASSERT_EQ(1u, mods.size());
        EXPECT_STREQ(L"Входящие (3)", mods[0].nid.szTip);
        EXPECT_STREQ(L"Входящие (3)", e->pTrayIcon->m_szTip);

        // The sweep sees the next one. 98 units are kept, never half a pair,
        // and the shell gets 63 of them.
        const std::wstring pair = L"\xD83D\xDCE8";   // U+1F4E8
        SetWindowTextW(w.hwnd, (std::wstring(97, L'm') + pair + L" more").c_str());
        dlg.Docker().Sweep();
        mods = shell.Calls(NIM_MODIFY, icon);
        ASSERT_EQ(2u, mods.size());
        EXPECT_EQ(std::wstring(63, L'm'), mods[1].nid.szTip);
        EXPECT_EQ(std::wstring(97, L'm'), e->szTitle);
        EXPECT_EQ(std::wstring(97, L'm'), e->pTrayIcon->m_szTip);

        // A new taskbar is handed the new title.
        SendMessageA(icon, WM_TASKBARCREATED, 0, 0);
        const auto adds = shell.Calls(NIM_ADD, icon);
        ASSERT_EQ(2u, adds.size());
        EXPECT_EQ(std::wstring(63, L'm'), adds[1].nid.szTip);
        dlg.Docker().UndockAll();
    });
}

TEST(WindowList, ALineIsFiveFieldsWhateverTheTitleHolds)
{
    WCHAR line[kMaxWindowLine];
    const HWND high = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(0xFFFF8002u)));
    FormatWindowLine({high, true, false, true, L"C:\\Apps\\Mail.exe", L"Inbox\t(3)\r\nnew"}, line);
    EXPECT_STREQ(L"0xffff8002\tdocked\tmaximized\tC:\\Apps\\Mail.exe\tInbox (3)  new\r\n", line);
    const HWND low = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1004c));
    FormatWindowLine({low, false, true, true, nullptr, L""}, line);
    EXPECT_STREQ(L"0x1004c\tlisted\tminimized\t-\t\r\n", line);
    const std::wstring longest(1023, L'x');
    FormatWindowLine({low, false, false, false, std::wstring(MAX_PATH - 1, L'p').c_str(), longest.c_str()}, line);
    EXPECT_EQ(longest + L"\r\n", std::wstring(line).substr(std::wstring(line).size() - 1025));
}

// What /list prints, read in the running copy's own process: the windows its
// menu lists, then those its record names as docked, in the state they were
// docked in.
TEST(WindowList, ListsTheListedWindowsThenTheDockedOnesFromTheRecord)
{
    docktest::OwnWindowsOnly own;
    WithDialog([](CTrayDockDlg& dlg) {
        UnicodeWindow listed(L"Привет - Notepad"), docked(L"Docked one");
        ShowWindow(docked.hwnd, SW_SHOWMAXIMIZED);
        ASSERT_TRUE(dlg.Docker().DockListed(docked.hwnd));
        std::wstring text;
        ListWindows(dlg.m_hWnd, [](LPCWSTR line, void* out) { *static_cast<std::wstring*>(out) += line; }, &text);
        WCHAR exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        WCHAR expected[2 * kMaxWindowLine];
        wsprintfW(expected, L"0x%lx\tlisted\tnormal\t%s\tПривет - Notepad\r\n0x%lx\tdocked\tmaximized\t%s\tDocked one\r\n",
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(listed.hwnd)), exe,
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(docked.hwnd)), exe);
        EXPECT_EQ(0, CompareStringOrdinal(expected, -1, text.c_str(), -1, TRUE) - CSTR_EQUAL)
            << test::Utf8(text.c_str()) << "\nexpected:\n" << test::Utf8(expected);
        dlg.Docker().UndockAll();
    });
}

}  // namespace
