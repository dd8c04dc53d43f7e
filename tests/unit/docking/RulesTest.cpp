// The rules at work on this process's windows: docked through the events the
// hook reports (called here directly: the hook skips its own process, and
// Wine reports only creation) or through the sweep alone; the rows of a
// docked window's menu that set and clear them.
#include "tests/unit/docking/DockTestSupport.h"

#include "menu/MenuEx.h"

#include <gtest/gtest.h>

using docktest::Command;
using docktest::WithDialog;

namespace {

constexpr DWORD kNormal = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

Rule MakeRule(const wchar_t* title, DWORD when)
{
    Rule r{};
    lstrcpyW(r.szProgram, L"test_docking.exe");
    lstrcpyW(r.szTitle, title);
    r.dwWhen = when;
    return r;
}

bool Docked(CTrayDockDlg& dlg, HWND h)
{
    return docktest::IndexOf(dlg.Docker().Docked(), h) >= 0;
}

LPARAM IconOf(CTrayDockDlg& dlg, HWND h)
{
    const int i = docktest::IndexOf(dlg.Docker().Docked(), h);
    return i < 0 ? 0 : reinterpret_cast<LPARAM>(dlg.Docker().Docked()[i]->pTrayIcon->m_hWnd);
}

void Event(CTrayDockDlg& dlg, DWORD event, HWND h, DWORD time = GetTickCount())
{
    dlg.Docker().Rules().OnWinEvent(event, h, OBJID_WINDOW, CHILDID_SELF, time);
}

TEST(Rules, AWindowDocksAsItOpensByAnEventOrByTheSweepAndOnlyOnce)
{
    docktest::OwnWindowsOnly own;
    WithDialog([](CTrayDockDlg& dlg) {
        CRules& rules = dlg.Docker().Rules();
        test::MessageLog before("Rule before", kNormal);
        ASSERT_TRUE(rules.Add(MakeRule(L"Rule *", RULE_OPENS)));
        EXPECT_TRUE(rules.Hooked());
        rules.Sweep();
        EXPECT_FALSE(Docked(dlg, before.hwnd())) << "open before the rule was made";

        test::MessageLog shown("Rule one", kNormal);
        Event(dlg, EVENT_OBJECT_SHOW, shown.hwnd());
        EXPECT_TRUE(Docked(dlg, shown.hwnd()));
        EXPECT_FALSE(IsWindowVisible(shown.hwnd()));

        test::MessageLog swept("Rule two", kNormal), splash("Splash", kNormal);
        test::MessageLog owned("Rule owned", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, before.hwnd());
        test::MessageLog hidden("Rule hidden", WS_OVERLAPPEDWINDOW);
        rules.Sweep();
        EXPECT_TRUE(Docked(dlg, swept.hwnd()));
        for (HWND left : {splash.hwnd(), owned.hwnd(), hidden.hwnd()})
            EXPECT_FALSE(Docked(dlg, left)) << left;
        // Its title comes to match within its first seconds: it opens now.
        SetWindowTextA(splash.hwnd(), "Rule three");
        Event(dlg, EVENT_OBJECT_NAMECHANGE, splash.hwnd());
        EXPECT_TRUE(Docked(dlg, splash.hwnd()));
        // Events of a window's parts are not about the window.
        test::MessageLog part("Rule part", kNormal);
        rules.OnWinEvent(EVENT_OBJECT_SHOW, part.hwnd(), OBJID_CLIENT, CHILDID_SELF, GetTickCount());
        EXPECT_FALSE(Docked(dlg, part.hwnd()));

        // Brought back, it has opened already: neither its showing nor a
        // sweep docks it again.
        Command(dlg, ID_UNDOCK, IconOf(dlg, shown.hwnd()));
        ASSERT_TRUE(test::PumpUntil([&] { return IsWindowVisible(shown.hwnd()) && !IsIconic(shown.hwnd()); }));
        Event(dlg, EVENT_OBJECT_SHOW, shown.hwnd());
        rules.Sweep();
        EXPECT_FALSE(Docked(dlg, shown.hwnd()));

        // A handle let go after its memory was made is forgotten; an event
        // older than the memory is not about it.
        const int remembered = rules.Remembered();
        Event(dlg, EVENT_OBJECT_CREATE, hidden.hwnd(), GetTickCount() - 100000);
        EXPECT_EQ(remembered, rules.Remembered());
        Event(dlg, EVENT_OBJECT_DESTROY, hidden.hwnd(), GetTickCount() + 1);
        EXPECT_EQ(remembered - 1, rules.Remembered());
        dlg.Docker().UndockAll();
    });
}

TEST(Rules, AWindowDocksAsItTurnsMinimizedAndNotWhenBroughtBackSo)
{
    docktest::OwnWindowsOnly own;
    WithDialog([](CTrayDockDlg& dlg) {
        CRules& rules = dlg.Docker().Rules();
        ASSERT_TRUE(rules.Add(MakeRule(L"Min *", RULE_MINIMIZED)));
        test::MessageLog w("Min one", kNormal);
        rules.Sweep();
        EXPECT_FALSE(Docked(dlg, w.hwnd()));
        ShowWindow(w.hwnd(), SW_MINIMIZE);
        Event(dlg, EVENT_SYSTEM_MINIMIZESTART, w.hwnd());
        ASSERT_TRUE(Docked(dlg, w.hwnd()));

        // Restored from its icon, it stays until it is minimized anew; the
        // sweep alone sees that.
        Command(dlg, ID_RESTORE, IconOf(dlg, w.hwnd()));
        ASSERT_TRUE(test::PumpUntil([&] { return IsWindowVisible(w.hwnd()) && !IsIconic(w.hwnd()); }));
        rules.Sweep();
        EXPECT_FALSE(Docked(dlg, w.hwnd()));
        ShowWindow(w.hwnd(), SW_MINIMIZE);
        rules.Sweep();
        ASSERT_TRUE(Docked(dlg, w.hwnd()));

        // Brought back minimized: not docked until restored and minimized.
        Command(dlg, ID_MINIMIZE, IconOf(dlg, w.hwnd()));
        ASSERT_TRUE(test::PumpUntil([&] { return IsWindowVisible(w.hwnd()) && IsIconic(w.hwnd()); }));
        Event(dlg, EVENT_SYSTEM_MINIMIZESTART, w.hwnd());
        rules.Sweep();
        EXPECT_FALSE(Docked(dlg, w.hwnd()));
        dlg.Docker().UndockAll();
    });
}

// The rows after a docked window's Exit, as the menu holds them: ids and
// whether each is checked.
std::vector<std::pair<UINT, UINT>> RuleRows(CTrayDockDlg& dlg, LPARAM icon)
{
    CMenuEx menu;
    menu.Create(reinterpret_cast<HWND>(icon));
    SendMessageA(dlg.m_hWnd, WM_TRAY_BUILDMENU, reinterpret_cast<WPARAM>(&menu), icon);
    std::vector<std::pair<UINT, UINT>> rows;
    for (int i = 0; i < menu.Rows().ItemCount(); ++i) {
        const MenuExItem& item = menu.Rows().Item(i);
        if (item.nID == ID_RULE_OPENS || item.nID == ID_RULE_MINIMIZED)
            rows.emplace_back(item.nID, item.nFlags);
    }
    menu.Close();
    return rows;
}

// What the registry holds: "program|title|when" per rule.
std::vector<std::wstring> Stored()
{
    CRuleStore store(docktest::kRulesTestKey);
    store.Load();
    std::vector<std::wstring> out;
    for (int i = 0; i < store.Count(); ++i)
        out.push_back(std::wstring(store[i].szProgram) + L"|" + store[i].szTitle + L"|" +
                      std::to_wstring(store[i].dwWhen));
    return out;
}

TEST(Rules, TheDockedWindowsRowsSetAndClearItsProgramsRules)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog w("Row window", kNormal);
        ASSERT_NE(nullptr, docktest::Dock(dlg, w.hwnd()));
        const LPARAM icon = IconOf(dlg, w.hwnd());
        using Rows = std::vector<std::pair<UINT, UINT>>;
        EXPECT_EQ((Rows{{ID_RULE_OPENS, 0}, {ID_RULE_MINIMIZED, 0}}), RuleRows(dlg, icon));

        Command(dlg, ID_RULE_OPENS, icon);
        EXPECT_EQ(std::vector<std::wstring>{L"test_docking.exe||1"}, Stored());
        EXPECT_EQ((Rows{{ID_RULE_OPENS, MF_CHECKED}, {ID_RULE_MINIMIZED, 0}}), RuleRows(dlg, icon));
        Command(dlg, ID_RULE_MINIMIZED, icon);
        EXPECT_EQ(std::vector<std::wstring>{L"test_docking.exe||3"}, Stored());

        // Cleared, the trigger goes from every rule that names the window;
        // a rule left with none goes.
        ASSERT_TRUE(dlg.Docker().Rules().Add(MakeRule(L"Row *", RULE_OPENS)));
        Command(dlg, ID_RULE_OPENS, icon);
        EXPECT_EQ(std::vector<std::wstring>{L"test_docking.exe||2"}, Stored());
        EXPECT_EQ((Rows{{ID_RULE_OPENS, 0}, {ID_RULE_MINIMIZED, MF_CHECKED}}), RuleRows(dlg, icon));
        Command(dlg, ID_RULE_MINIMIZED, icon);
        EXPECT_TRUE(Stored().empty());
        EXPECT_TRUE(Docked(dlg, w.hwnd())) << "a row of rules leaves the window docked";
        // A rename the hook reports reaches the icon at once, rules or not.
        SetWindowTextA(w.hwnd(), "Row window (2)");
        Event(dlg, EVENT_OBJECT_NAMECHANGE, w.hwnd());
        EXPECT_STREQ(L"Row window (2)", dlg.Docker().Docked()[0]->pTrayIcon->m_szTip);
        // Nothing docked and no rules: nothing to hear of.
        dlg.Docker().UndockAll();
        dlg.Docker().Sweep();
        EXPECT_FALSE(dlg.Docker().Rules().Hooked());
    });
}

}  // namespace
