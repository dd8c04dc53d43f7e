// The icon's registration with the shell, its life, and what its mouse
// reports and commands turn into for the owner.
#include "tray/TrayIcon.h"

#include "docking/Commands.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/tray/FakeTrayShell.h"
#include "tests/unit/tray/TrayTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using test::AppIcon;
using test::BorrowedWnd;

std::wstring Repeat(int n)
{
    std::wstring s;
    for (int i = 0; i < n; ++i)
        s += static_cast<wchar_t>(L'A' + i % 26);
    return s;
}

TEST(TrayIconRecord, AddFillsTheVersionOneRecord)
{
    test::FakeTrayShell shell;
    test::MessageLog owner("owner");
    BorrowedWnd ownerWnd(owner.hwnd());
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(&ownerWnd, AppIcon(), L"Traylet"));

    const auto adds = shell.Calls(NIM_ADD, icon.m_hWnd);
    ASSERT_EQ(1u, adds.size());
    const NOTIFYICONDATAW& nid = adds[0].nid;
    EXPECT_EQ(test::kNotifyRecordSize, adds[0].cbSizeSeen);
    EXPECT_EQ(icon.m_hWnd, nid.hWnd);
    EXPECT_EQ(0u, nid.uID);
    EXPECT_EQ(7u, nid.uFlags);
    EXPECT_EQ(WM_TRAYICON_CALLBACK, nid.uCallbackMessage);
    EXPECT_EQ(RegisterWindowMessageA("TrayIconCallBack"), nid.uCallbackMessage);
    EXPECT_EQ(AppIcon(), nid.hIcon);
    EXPECT_STREQ(L"Traylet", nid.szTip);

    EXPECT_STREQ(L"Traylet", icon.m_szTip);
    EXPECT_EQ(AppIcon(), icon.m_hTrayIcon);
    EXPECT_EQ(owner.hwnd(), icon.m_hWndOwner);
}

TEST(TrayIconRecord, TheWindowIsAHiddenTenByTenPopupWithNoTitle)
{
    test::FakeTrayShell shell;
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(nullptr, AppIcon(), L"x"));
    const LONG style = GetWindowLongA(icon.m_hWnd, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP), style & ~(WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_EQ(0, GetWindowLongA(icon.m_hWnd, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);
    EXPECT_FALSE(IsWindowVisible(icon.m_hWnd));
    EXPECT_EQ(nullptr, GetParent(icon.m_hWnd));
    RECT rc{};
    GetWindowRect(icon.m_hWnd, &rc);
    EXPECT_EQ(10, rc.right - rc.left);
    EXPECT_EQ(10, rc.bottom - rc.top);
    char title[16] = "unset";
    GetWindowTextA(icon.m_hWnd, title, sizeof title);
    EXPECT_STREQ("", title);
    char cls[64] = "";
    GetClassNameA(icon.m_hWnd, cls, sizeof cls);
    EXPECT_EQ(0, std::string(cls).rfind("Traylet:", 0)) << cls;
    EXPECT_EQ(nullptr, icon.m_hWndOwner);
}

TEST(TrayIconRecord, TooltipsAreCutTo63ForTheShellAnd127ForTheObject)
{
    test::FakeTrayShell shell;
    const std::wstring tip100 = Repeat(100);
    const std::wstring tip200 = Repeat(200);

    CTrayIcon icon100;
    ASSERT_TRUE(icon100.Create(nullptr, AppIcon(), tip100.c_str()));
    ASSERT_EQ(1u, shell.Calls(NIM_ADD, icon100.m_hWnd).size());
    EXPECT_EQ(tip100.substr(0, 63), std::wstring(shell.Calls(NIM_ADD, icon100.m_hWnd)[0].nid.szTip));
    EXPECT_EQ(tip100, std::wstring(icon100.m_szTip));

    CTrayIcon icon200;
    ASSERT_TRUE(icon200.Create(nullptr, AppIcon(), tip200.c_str()));
    EXPECT_EQ(tip200.substr(0, 63), std::wstring(shell.Calls(NIM_ADD, icon200.m_hWnd)[0].nid.szTip));
    EXPECT_EQ(tip200.substr(0, 127), std::wstring(icon200.m_szTip));

    // A new taskbar gets the same 63 characters from the stored 127.
    SendMessageA(icon200.m_hWnd, WM_TASKBARCREATED, 0, 0);
    SendMessageA(icon100.m_hWnd, WM_TASKBARCREATED, 0, 0);
    for (HWND hwnd : {icon100.m_hWnd, icon200.m_hWnd}) {
        const auto adds = shell.Calls(NIM_ADD, hwnd);
        ASSERT_EQ(2u, adds.size());
        EXPECT_EQ(0, std::memcmp(&adds[0].nid, &adds[1].nid, test::kNotifyRecordSize)) << "the re-added record differs";
    }
    EXPECT_TRUE(shell.Calls(NIM_DELETE, icon100.m_hWnd).empty()) << "no delete comes before a re-add";
}

// A cut never leaves half of a surrogate pair: an emoji that would straddle
// the shell's 63 or the object's 127 is left out whole.
TEST(TrayIconRecord, TooltipCutsKeepSurrogatePairsWhole)
{
    test::FakeTrayShell shell;
    const std::wstring pair = L"\xD83D\xDE00";   // U+1F600
    std::wstring tip = Repeat(62) + pair + Repeat(62) + pair + L"tail";   // pairs at 62-63 and 126-127

    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(nullptr, AppIcon(), tip.c_str()));
    EXPECT_EQ(Repeat(62), std::wstring(shell.Calls(NIM_ADD, icon.m_hWnd)[0].nid.szTip));
    EXPECT_EQ(Repeat(62) + pair + Repeat(62), std::wstring(icon.m_szTip));

    // A pair that fits ends the tip whole.
    const std::wstring fits = Repeat(61) + pair + L"more";
    CTrayIcon icon2;
    ASSERT_TRUE(icon2.Create(nullptr, AppIcon(), fits.c_str()));
    EXPECT_EQ(Repeat(61) + pair, std::wstring(shell.Calls(NIM_ADD, icon2.m_hWnd)[0].nid.szTip));
}

TEST(TrayIconRecord, NullTooltipGivesAnEmptyTip)
{
    test::FakeTrayShell shell;
    HWND someWindow = GetDesktopWindow();
    // The tip field must be cleared, not left with whatever the stack held.
    EXPECT_TRUE(CTrayIcon::AddIcon(someWindow, 7, AppIcon(), nullptr));
    ASSERT_EQ(1u, shell.notify.size());
    EXPECT_STREQ(L"", shell.notify[0].nid.szTip);
    EXPECT_EQ(7u, shell.notify[0].nid.uID);

    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(nullptr, AppIcon(), nullptr));
    EXPECT_STREQ(L"", shell.Calls(NIM_ADD, icon.m_hWnd)[0].nid.szTip);
    EXPECT_STREQ(L"", icon.m_szTip);
}


// A new tip goes to the shell as a change of the tip alone, and is the one a
// new taskbar gets.
TEST(TrayIconRecord, ANewTipIsAModifyOfTheTipAloneAndOutlivesAShellRestart)
{
    test::FakeTrayShell shell;
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(nullptr, AppIcon(), L"first"));
    EXPECT_TRUE(icon.SetTip(Repeat(100).c_str()));
    const auto mods = shell.Calls(NIM_MODIFY, icon.m_hWnd);
    ASSERT_EQ(1u, mods.size());
    EXPECT_EQ(test::kNotifyRecordSize, mods[0].cbSizeSeen);
    EXPECT_EQ(static_cast<UINT>(NIF_TIP), mods[0].nid.uFlags);
    EXPECT_EQ(Repeat(63), std::wstring(mods[0].nid.szTip));
    EXPECT_EQ(Repeat(100), std::wstring(icon.m_szTip));
    SendMessageA(icon.m_hWnd, WM_TASKBARCREATED, 0, 0);
    EXPECT_EQ(Repeat(63), std::wstring(shell.Calls(NIM_ADD, icon.m_hWnd).back().nid.szTip));
}

TEST(TrayIconRecord, DeleteNamesOnlyTheWindowAndIdentifier)
{
    test::FakeTrayShell shell;
    shell.notifyResult = FALSE;
    EXPECT_FALSE(CTrayIcon::DeleteIcon(GetDesktopWindow(), 3));
    ASSERT_EQ(1u, shell.notify.size());
    const test::NotifyCall& del = shell.notify[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), del.op);
    EXPECT_EQ(test::kNotifyRecordSize, del.cbSizeSeen);
    EXPECT_EQ(GetDesktopWindow(), del.nid.hWnd);
    EXPECT_EQ(3u, del.nid.uID);
    EXPECT_EQ(0u, del.nid.uFlags);
    EXPECT_EQ(0u, del.nid.uCallbackMessage);
    EXPECT_EQ(nullptr, del.nid.hIcon);
    EXPECT_STREQ(L"", del.nid.szTip);
}

TEST(TrayIconLife, RefusedIconStillCreatesAndComesBackOnTaskbarCreated)
{
    test::FakeTrayShell shell;
    shell.notifyResult = FALSE;   // no taskbar yet
    CTrayIcon icon;
    EXPECT_TRUE(icon.Create(nullptr, AppIcon(), L"later"));
    EXPECT_STREQ(L"later", icon.m_szTip);
    shell.notifyResult = TRUE;
    EXPECT_EQ(0, SendMessageA(icon.m_hWnd, WM_TASKBARCREATED, 0, 0));
    const auto adds = shell.Calls(NIM_ADD, icon.m_hWnd);
    ASSERT_EQ(2u, adds.size());
    EXPECT_STREQ(L"later", adds[1].nid.szTip);
    EXPECT_EQ(AppIcon(), adds[1].nid.hIcon);
}

TEST(TrayIconLife, FailedCreateAddsNothingAndSetsNothing)
{
    test::FakeTrayShell shell;
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(nullptr, AppIcon(), L"first"));
    const HWND first = icon.m_hWnd;
    shell.notify.clear();
    // A second window cannot be made for the same object.
    test::MessageLog owner("owner");
    BorrowedWnd ownerWnd(owner.hwnd());
    EXPECT_FALSE(icon.Create(&ownerWnd, nullptr, L"second"));
    EXPECT_TRUE(shell.notify.empty());
    EXPECT_EQ(first, icon.m_hWnd);
    EXPECT_STREQ(L"first", icon.m_szTip);
    EXPECT_EQ(AppIcon(), icon.m_hTrayIcon);
    EXPECT_EQ(nullptr, icon.m_hWndOwner);
}

TEST(TrayIconLife, DestructionDeletesTheIconThenTheWindow)
{
    test::FakeTrayShell shell;
    HWND hwnd = nullptr;
    {
        CTrayIcon icon;
        ASSERT_TRUE(icon.Create(nullptr, AppIcon(), L"t"));
        hwnd = icon.m_hWnd;
        EXPECT_TRUE(icon.RemoveIcon());
        ASSERT_EQ(1u, shell.Calls(NIM_DELETE, hwnd).size());
        EXPECT_TRUE(IsWindow(hwnd)) << "removing the icon keeps the window";
        shell.notifyResult = FALSE;   // the icon is gone: the second delete fails
    }
    EXPECT_EQ(2u, shell.Calls(NIM_DELETE, hwnd).size());
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(TrayIconLife, NeverCreatedObjectsGoQuietly)
{
    test::FakeTrayShell shell;
    shell.notifyResult = FALSE;
    {
        CTrayIcon icon;
        EXPECT_FALSE(icon.RemoveIcon());
    }
    // Both deletes name no window and fail; nothing else happens.
    ASSERT_EQ(2u, shell.notify.size());
    for (const auto& c : shell.notify) {
        EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), c.op);
        EXPECT_EQ(nullptr, c.nid.hWnd);
    }
}

TEST(TrayIconLife, RealShellAcceptsTheRecord)
{
    // Wine's taskbar: the record is taken, and removed exactly once.
    CTrayIcon icon;
    test::MessageLog owner("owner");
    BorrowedWnd ownerWnd(owner.hwnd());
    ASSERT_TRUE(icon.Create(&ownerWnd, AppIcon(), L"Traylet test icon"));
    ASSERT_TRUE(CTrayIcon::AddIcon(icon.m_hWnd, 1, AppIcon(), L"second id"));
    EXPECT_FALSE(CTrayIcon::AddIcon(icon.m_hWnd, 1, AppIcon(), L"again")) << "an icon that exists is not added twice";
    EXPECT_TRUE(CTrayIcon::DeleteIcon(icon.m_hWnd, 1));
    EXPECT_TRUE(icon.RemoveIcon());
    EXPECT_FALSE(icon.RemoveIcon());
    // The taskbar may be recreated: the icon comes back.
    SendMessageA(icon.m_hWnd, WM_TASKBARCREATED, 0, 0);
    EXPECT_TRUE(icon.RemoveIcon());
}

class TrayIconMouse : public ::testing::Test {
protected:
    void SetUp() override
    {
        ownerWnd = std::make_unique<BorrowedWnd>(owner.hwnd());
        ASSERT_TRUE(icon.Create(ownerWnd.get(), AppIcon(), L"mouse"));
        test::Flush();
        owner.clear();
    }
    void TearDown() override { ownerWnd.reset(); }

    LRESULT Callback(UINT mouse) { return SendMessageA(icon.m_hWnd, WM_TRAYICON_CALLBACK, 0, mouse); }

    test::FakeTrayShell shell;
    test::MessageLog owner{"owner"};
    std::unique_ptr<BorrowedWnd> ownerWnd;
    CTrayIcon icon;
};

TEST_F(TrayIconMouse, OtherMouseMessagesDoNothing)
{
    const int windows = test::ThreadWindows();
    for (UINT mouse : {UINT{WM_MOUSEMOVE}, UINT{WM_LBUTTONDOWN}, UINT{WM_LBUTTONUP}, UINT{WM_RBUTTONDOWN},
                       UINT{WM_RBUTTONDBLCLK}, UINT{WM_MBUTTONDOWN}, UINT{WM_MBUTTONUP}, UINT{WM_MBUTTONDBLCLK},
                       0u, 0x0400u}) {
        EXPECT_EQ(0, Callback(mouse));
        EXPECT_EQ(windows, test::ThreadWindows()) << "a window appeared for 0x" << std::hex << mouse;
    }
    test::Flush();
    EXPECT_TRUE(owner.all().empty()) << test::Describe(owner.all());
    EXPECT_EQ(0, test::TakeThreadMessages(WM_TRAY_COMMAND));
}

TEST_F(TrayIconMouse, DoubleClickPostsOneMinimizeAll)
{
    // What the shell reports for a double-click, in order.
    for (UINT mouse : {UINT{WM_MOUSEMOVE}, UINT{WM_LBUTTONDOWN}, UINT{WM_LBUTTONUP}, UINT{WM_LBUTTONDBLCLK},
                       UINT{WM_LBUTTONUP}})
        EXPECT_EQ(0, Callback(mouse));
    EXPECT_EQ(0u, owner.count(WM_TRAY_COMMAND)) << "posted, so not there before the queue runs";
    test::Flush();
    const auto got = owner.only({WM_TRAY_COMMAND, WM_TRAY_BUILDMENU, WM_NULL});
    ASSERT_EQ(1u, got.size()) << test::Describe(owner.all());
    EXPECT_EQ(static_cast<WPARAM>(ID_MINIMIZE_ALL), got[0].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(icon.m_hWnd), got[0].lParam);
}

TEST_F(TrayIconMouse, MenuCommandIsForwardedUnchanged)
{
    const WPARAM plain = ID_DOCK_FIRST + 3;
    const WPARAM withCode = MAKEWPARAM(ID_RESTORE, 0x1234);
    SendMessageA(icon.m_hWnd, WM_COMMAND, plain, 0);
    SendMessageA(icon.m_hWnd, WM_COMMAND, withCode, 0);
    EXPECT_EQ(0u, owner.count(WM_TRAY_COMMAND)) << "posted, so not there before the queue runs";
    test::Flush();
    const auto got = owner.only({WM_TRAY_COMMAND});
    ASSERT_EQ(2u, got.size()) << test::Describe(owner.all());
    EXPECT_EQ(plain, got[0].wParam);
    EXPECT_EQ(withCode, got[1].wParam);
    for (const auto& m : got)
        EXPECT_EQ(reinterpret_cast<LPARAM>(icon.m_hWnd), m.lParam);
}

TEST_F(TrayIconMouse, ControlCommandsAreNotForwarded)
{
    test::MessageLog control("control");
    SendMessageA(icon.m_hWnd, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), reinterpret_cast<LPARAM>(control.hwnd()));
    SendMessageA(icon.m_hWnd, WM_COMMAND, ID_OPTIONS, reinterpret_cast<LPARAM>(control.hwnd()));
    test::Flush();
    EXPECT_EQ(0u, owner.count(WM_TRAY_COMMAND)) << test::Describe(owner.all());
}

TEST(TrayIconNullOwner, ForwardingGoesNowhere)
{
    test::FakeTrayShell shell;
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(nullptr, AppIcon(), L"orphan"));
    test::Flush();
    SendMessageA(icon.m_hWnd, WM_TRAYICON_CALLBACK, 0, WM_LBUTTONDBLCLK);
    SendMessageA(icon.m_hWnd, WM_COMMAND, ID_OPTIONS, 0);
    // A post to a null window would land in this thread's queue.
    EXPECT_EQ(0, test::TakeThreadMessages(WM_TRAY_COMMAND));
    EXPECT_TRUE(IsWindow(icon.m_hWnd));
}

}  // namespace
