// The right-click: the owner fills a popup that opens at the cursor, and the
// owner hears WM_NULL before the chosen command. Also the icon being dropped
// while its own popup is open.
#include "tray/TrayIcon.h"

#include "app/TrayDockDlg.h"
#include "docking/Commands.h"
#include "docking/DockEntry.h"
#include "menu/MenuEx.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/tray/FakeTrayShell.h"
#include "tests/unit/tray/TrayTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <new>

namespace {

// Runs a step from a thread timer every 20 ms until it returns true. The
// timer is dispatched by whichever loop runs, the popup's included, which is
// how a test acts while a handler sits in the popup's loop.
class WhileLooping {
public:
    explicit WhileLooping(std::function<bool()> step)
    {
        s_step = std::move(step);
        m_id = SetTimer(nullptr, 0, 20, &Tick);
    }
    ~WhileLooping()
    {
        KillTimer(nullptr, m_id);
        s_step = nullptr;
    }
    WhileLooping(const WhileLooping&) = delete;
    WhileLooping& operator=(const WhileLooping&) = delete;
    bool done() const { return !s_step; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_step && s_step())
            s_step = nullptr;
    }
    static std::function<bool()> s_step;
    UINT_PTR m_id;
};
std::function<bool()> WhileLooping::s_step;

constexpr POINT kCursor{600, 400};

// The owner's side of the exchange: records the menu it was given, and fills
// it with the items the test asks for.
struct PopupOwner {
    test::MessageLog log{"popup owner"};
    test::BorrowedWnd wnd{log.hwnd()};
    CMenuEx* menu = nullptr;
    LPARAM builtFor = 0;
    bool menuHadWindow = false;
    bool menuWasVisible = true;
    HWND foregroundAtBuild = nullptr;
    int itemsToAdd = 0;

    PopupOwner()
    {
        log.answer = [this](HWND, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) -> LRESULT {
            if (message != WM_TRAY_BUILDMENU)
                return 0;
            menu = reinterpret_cast<CMenuEx*>(wParam);
            builtFor = lParam;
            menuHadWindow = IsWindow(menu->m_hWnd) != FALSE;
            menuWasVisible = IsWindowVisible(menu->m_hWnd) != FALSE;
            foregroundAtBuild = GetForegroundWindow();
            for (int i = 0; i < itemsToAdd; ++i)
                menu->AddItem(0, ID_DOCK_FIRST + i, L"Window", nullptr, FALSE);
            handled = true;
            return 1;
        };
    }
};

// What the popup looked like while it was open.
struct PopupSeen {
    HWND hwnd = nullptr;
    RECT rect{};
    int items = -1;
    HWND reportsTo = nullptr;
};

bool PopupOpen(const CMenuEx* menu) { return menu && menu->m_hWnd && IsWindowVisible(menu->m_hWnd); }

PopupSeen Look(CMenuEx* menu)
{
    PopupSeen seen;
    seen.hwnd = menu->m_hWnd;
    GetWindowRect(menu->m_hWnd, &seen.rect);
    seen.items = menu->Rows().ItemCount();
    seen.reportsTo = menu->Owner();
    return seen;
}

BOOL CALLBACK FindOpenPopup(HWND hwnd, LPARAM p)
{
    if (IsWindowVisible(hwnd) && dynamic_cast<CMenuEx*>(CWnd::FromHandlePermanent(hwnd)))
        *reinterpret_cast<HWND*>(p) = hwnd;
    return TRUE;
}

void RightClick(HWND icon)
{
    SetCursorPos(kCursor.x, kCursor.y);
    // Posted, as the shell's report would be: a sent one would hold the
    // sender for as long as the popup is open.
    PostMessageA(icon, WM_TRAYICON_CALLBACK, 0, WM_RBUTTONUP);
}

class TrayPopup : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The process keeps one popup window from its first popup on: made
        // now, so that the counts below see what each popup leaves.
        { CMenuEx first; first.Create(nullptr); }
        test::Flush();
        baselineWindows = test::ThreadWindows();
    }
    test::FakeTrayShell shell;
    int baselineWindows = 0;
};

TEST_F(TrayPopup, RightClickBuildsShowsAndReportsInOrder)
{
    PopupOwner owner;
    owner.itemsToAdd = 2;
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(&owner.wnd, test::AppIcon(), L"right"));
    test::Flush();
    owner.log.clear();

    PopupSeen seen;
    WhileLooping user([&] {
        if (!PopupOpen(owner.menu))
            return false;
        seen = Look(owner.menu);
        // What the popup does for a click on its second item.
        PostMessageA(owner.menu->Owner(), WM_COMMAND, ID_DOCK_FIRST + 1, 0);
        owner.menu->Close();
        return true;
    });
    RightClick(icon.m_hWnd);
    ASSERT_TRUE(test::PumpUntil([&] { return owner.log.count(WM_TRAY_COMMAND) > 0; }, 5000))
        << test::Describe(owner.log.all());
    test::Flush();

    EXPECT_EQ(reinterpret_cast<LPARAM>(icon.m_hWnd), owner.builtFor);
    EXPECT_TRUE(owner.menuHadWindow) << "the popup's window exists while it is filled";
    EXPECT_FALSE(owner.menuWasVisible) << "filled before it is shown";
    EXPECT_EQ(owner.log.hwnd(), owner.foregroundAtBuild) << "the owner is brought to the foreground first";

    EXPECT_EQ(icon.m_hWnd, seen.reportsTo) << "the popup reports its choice to the icon's window";
    EXPECT_EQ(2, seen.items);
    EXPECT_EQ(kCursor.x, seen.rect.right) << "the popup opens at the cursor";
    EXPECT_EQ(kCursor.y, seen.rect.bottom);
    EXPECT_FALSE(IsWindowVisible(seen.hwnd) || dynamic_cast<CMenuEx*>(CWnd::FromHandlePermanent(seen.hwnd)))
        << "the popup is closed after the handler";

    const auto got = owner.log.only({WM_TRAY_BUILDMENU, WM_NULL, WM_TRAY_COMMAND});
    ASSERT_EQ(3u, got.size()) << test::Describe(owner.log.all());
    EXPECT_EQ(static_cast<UINT>(WM_TRAY_BUILDMENU), got[0].message);
    EXPECT_EQ(static_cast<UINT>(WM_NULL), got[1].message);
    EXPECT_EQ(0u, got[1].wParam);
    EXPECT_EQ(0, got[1].lParam);
    EXPECT_EQ(static_cast<UINT>(WM_TRAY_COMMAND), got[2].message);
    EXPECT_EQ(static_cast<WPARAM>(ID_DOCK_FIRST + 1), got[2].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(icon.m_hWnd), got[2].lParam);
    EXPECT_EQ(baselineWindows + 1, test::ThreadWindows()) << "only the icon's own window is left";
}

TEST_F(TrayPopup, AnEmptyPopupIsStillShown)
{
    PopupOwner owner;   // adds nothing
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(&owner.wnd, test::AppIcon(), L"empty"));
    test::Flush();
    owner.log.clear();

    PopupSeen seen;
    WhileLooping user([&] {
        if (!PopupOpen(owner.menu))
            return false;
        seen = Look(owner.menu);
        owner.menu->Close();   // dismissed without a choice
        return true;
    });
    RightClick(icon.m_hWnd);
    ASSERT_TRUE(test::PumpUntil([&] { return owner.log.count(WM_NULL) > 0; }, 5000))
        << test::Describe(owner.log.all());
    test::PumpFor(50);

    EXPECT_EQ(0, seen.items);
    EXPECT_NE(nullptr, seen.hwnd);
    const auto got = owner.log.only({WM_TRAY_BUILDMENU, WM_NULL, WM_TRAY_COMMAND});
    ASSERT_EQ(2u, got.size()) << test::Describe(owner.log.all());
    EXPECT_EQ(static_cast<UINT>(WM_TRAY_BUILDMENU), got[0].message);
    EXPECT_EQ(static_cast<UINT>(WM_NULL), got[1].message);
}

TEST_F(TrayPopup, WithoutAnOwnerThePopupOpensAndNothingIsSent)
{
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(nullptr, test::AppIcon(), L"orphan"));
    test::Flush();

    CMenuEx* opened = nullptr;
    WhileLooping user([&] {
        // No owner was asked to fill it, so find the popup among our windows.
        HWND popup = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &FindOpenPopup, reinterpret_cast<LPARAM>(&popup));
        if (!popup)
            return false;
        opened = static_cast<CMenuEx*>(CWnd::FromHandlePermanent(popup));
        if (opened)
            opened->Close();
        return true;
    });
    RightClick(icon.m_hWnd);
    ASSERT_TRUE(test::PumpUntil([&] { return user.done(); }, 5000));
    test::PumpFor(50);
    EXPECT_NE(nullptr, opened);
    EXPECT_EQ(0, test::TakeThreadMessages(WM_TRAY_BUILDMENU));
    EXPECT_EQ(0, test::TakeThreadMessages(WM_TRAY_COMMAND));
    EXPECT_EQ(baselineWindows + 1, test::ThreadWindows());
}

// Memory for one object that, once "freed", faults on any touch; a vectored
// handler counts the touches (Wine swallows faults inside sent messages, so
// waiting for a crash would prove nothing) and lets the toucher go on.
class GuardedMemory {
public:
    GuardedMemory()
    {
        m_base = static_cast<char*>(VirtualAlloc(nullptr, kSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        s_self = this;
        m_handler = AddVectoredExceptionHandler(1, &OnFault);
    }
    ~GuardedMemory()
    {
        RemoveVectoredExceptionHandler(m_handler);
        VirtualFree(m_base, 0, MEM_RELEASE);
        s_self = nullptr;
    }
    GuardedMemory(const GuardedMemory&) = delete;
    GuardedMemory& operator=(const GuardedMemory&) = delete;

    void* get() const { return m_base; }
    // The object is gone: a canary fill, then no access at all.
    void Free()
    {
        std::memset(m_base, 0xCD, kSize);
        DWORD old = 0;
        VirtualProtect(m_base, kSize, PAGE_NOACCESS, &old);
    }
    int touches() const { return m_touches; }

private:
    static constexpr SIZE_T kSize = 4096;
    static LONG CALLBACK OnFault(EXCEPTION_POINTERS* info)
    {
        const EXCEPTION_RECORD* rec = info->ExceptionRecord;
        if (!s_self || rec->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || rec->NumberParameters < 2)
            return EXCEPTION_CONTINUE_SEARCH;
        const char* at = reinterpret_cast<const char*>(rec->ExceptionInformation[1]);
        if (at < s_self->m_base || at >= s_self->m_base + kSize)
            return EXCEPTION_CONTINUE_SEARCH;
        ++s_self->m_touches;
        DWORD old = 0;
        VirtualProtect(s_self->m_base, kSize, PAGE_READWRITE, &old);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    static GuardedMemory* s_self;
    char* m_base = nullptr;
    PVOID m_handler = nullptr;
    int m_touches = 0;
};
GuardedMemory* GuardedMemory::s_self = nullptr;

TEST_F(TrayPopup, AnIconDroppedWhileItsPopupIsOpenIsNeverTouchedAgain)
{
    PopupOwner owner;
    owner.itemsToAdd = 1;
    GuardedMemory memory;
    static_assert(sizeof(CTrayIcon) < 4096, "fits the guarded page");
    auto* icon = new (memory.get()) CTrayIcon;
    ASSERT_TRUE(icon->Create(&owner.wnd, test::AppIcon(), L"docked window"));
    const HWND iconWnd = icon->m_hWnd;
    test::Flush();
    owner.log.clear();

    int step = 0;
    bool popupOutlivedIcon = false;
    WhileLooping user([&] {
        if (step == 0) {
            if (!PopupOpen(owner.menu))
                return false;
            // The controller's sweep drops the docked record: remove, delete.
            icon->RemoveIcon();
            icon->~CTrayIcon();
            memory.Free();
            step = 1;
            return false;
        }
        // A later tick: the popup is still open; the user picks the item.
        popupOutlivedIcon = PopupOpen(owner.menu) && !IsWindow(iconWnd);
        PostMessageA(owner.menu->Owner(), WM_COMMAND, ID_DOCK_FIRST, 0);
        owner.menu->Close();
        return true;
    });
    RightClick(iconWnd);
    const bool heard = test::PumpUntil([&] { return owner.log.count(WM_NULL) > 0; }, 5000);
    test::PumpFor(50);

    if (step == 0) {   // never got as far as the popup: do not leave a live window on freed memory
        icon->~CTrayIcon();
        FAIL() << "the popup never opened";
    }
    EXPECT_TRUE(popupOutlivedIcon);
    EXPECT_EQ(0, memory.touches()) << "the handler touched its deleted object";
    ASSERT_TRUE(heard) << test::Describe(owner.log.all());
    const auto got = owner.log.only({WM_TRAY_BUILDMENU, WM_NULL, WM_TRAY_COMMAND});
    ASSERT_EQ(2u, got.size()) << test::Describe(owner.log.all());
    EXPECT_EQ(static_cast<UINT>(WM_NULL), got[1].message) << "the owner still hears that the popup closed";
    EXPECT_EQ(2u, shell.Calls(NIM_DELETE, iconWnd).size());
    EXPECT_FALSE(IsWindow(iconWnd));
    EXPECT_EQ(baselineWindows, test::ThreadWindows()) << "no window is left behind";

    // The guard does see a touch.
    EXPECT_EQ(static_cast<char>(0xCD), *static_cast<volatile char*>(memory.get()));
    EXPECT_EQ(1, memory.touches());
}

TEST_F(TrayPopup, TheSweepsDropOfADockedRecordDuringItsPopupLeavesTheProgramRunning)
{
    PopupOwner owner;
    owner.itemsToAdd = 3;
    HWND docked = CreateWindowExA(0, "STATIC", "docked", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    auto* entry = new DockEntry{};
    entry->hWnd = docked;
    entry->pTrayIcon = new CTrayIcon;
    ASSERT_TRUE(entry->pTrayIcon->Create(&owner.wnd, test::AppIcon(), L"docked"));
    const HWND iconWnd = entry->pTrayIcon->m_hWnd;
    test::Flush();
    owner.log.clear();

    bool dropped = false;
    WhileLooping user([&] {
        if (!PopupOpen(owner.menu))
            return false;
        DestroyWindow(docked);                 // its program closes it
        CDocker::ReleaseDocked(entry);    // the sweep drops the record
        dropped = true;
        owner.menu->Close();                   // then the popup loses the focus
        return true;
    });
    RightClick(iconWnd);
    const bool closed = test::PumpUntil([&] { return owner.log.count(WM_NULL) > 0; }, 5000);
    if (!dropped) {
        DestroyWindow(docked);
        CDocker::ReleaseDocked(entry);
    }
    ASSERT_TRUE(dropped && closed);
    test::PumpFor(50);
    EXPECT_FALSE(IsWindow(iconWnd));
    EXPECT_EQ(baselineWindows, test::ThreadWindows());

    // Another icon still opens its popup and reports.
    CTrayIcon next;
    ASSERT_TRUE(next.Create(&owner.wnd, test::AppIcon(), L"next"));
    owner.menu = nullptr;
    owner.log.clear();
    WhileLooping user2([&] {
        if (!PopupOpen(owner.menu))
            return false;
        PostMessageA(owner.menu->Owner(), WM_COMMAND, ID_DOCK_FIRST + 2, 0);
        owner.menu->Close();
        return true;
    });
    RightClick(next.m_hWnd);
    ASSERT_TRUE(test::PumpUntil([&] { return owner.log.count(WM_TRAY_COMMAND) > 0; }, 5000));
    EXPECT_EQ(static_cast<WPARAM>(ID_DOCK_FIRST + 2), owner.log.only({WM_TRAY_COMMAND})[0].wParam);
}

}  // namespace
