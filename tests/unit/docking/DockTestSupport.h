#pragma once
// Shared by the docking tests: a running controller dialog, windows of
// chosen classes, and small readers of the two lists.
#include "app/TrayDockDlg.h"
#include "docking/Commands.h"
#include "tests/support/TestSupport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace docktest {

// Runs body inside the modal loop of a real controller dialog, made and run
// as the program does (main window, DoModal), then ends the dialog. Its
// rules are those under kRulesTestKey, which is empty when the body starts
// and deleted when it ends. Returns
// what DoModal returned: 0 when the body ended normally, -1 when a quit
// message ended the loop (the quit is then left in the queue).
INT_PTR WithDialog(const std::function<void(CTrayDockDlg&)>& body);
extern const wchar_t kRulesTestKey[];

// The catalogue index of a window, -1 when it is not catalogued.
int IndexOf(const CTypedPtrArray<DockEntry>& list, HWND hWnd);
std::vector<HWND> Handles(const CTypedPtrArray<DockEntry>& list);

// A tray icon's command, as the icon posts it, handled now: what the dialog
// answers.
LRESULT Command(CTrayDockDlg& dlg, WPARAM command, LPARAM icon);
LPARAM OwnIcon(const CTrayDockDlg& dlg);

// Rebuilds the catalogue and docks the window through command 150 + n from
// the program's own icon. Returns the docked record, or null.
DockEntry* Dock(CTrayDockDlg& dlg, HWND hWnd);

// While it lives, the catalogue lists windows of this process only: a
// command on the whole catalogue cannot reach windows of other programs on
// the shared desktop, and what it lists is known whatever they show. With
// bAndShell, the walk also passes the windows of the taskbar's process, for
// tests of what the catalogue leaves out of the shell.
class OwnWindowsOnly {
public:
    explicit OwnWindowsOnly(bool bAndShell = false);
    ~OwnWindowsOnly();
    OwnWindowsOnly(const OwnWindowsOnly&) = delete;
    OwnWindowsOnly& operator=(const OwnWindowsOnly&) = delete;

private:
    decltype(g_pfnEnumWindows) m_saved;
};

// WM_SYSCOMMAND codes a window received, in order, as "MIN", "MAX",
// "RESTORE", "CLOSE" (anything else as hex).
std::vector<std::string> SysCommands(const test::MessageLog& log);

// A top-level window of a class registered for it alone, its messages
// recorded. The class is unregistered when the window goes, so that its
// name (an atom shared by the session) is free again.
class ClassWindow {
public:
    ClassWindow(const char* cls, const char* title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                HWND owner = nullptr);
    ~ClassWindow();
    ClassWindow(const ClassWindow&) = delete;
    ClassWindow& operator=(const ClassWindow&) = delete;
    HWND hwnd() const { return m_hwnd; }
    const test::MessageLog& log() const { return *m_log; }
    std::string className() const;

private:
    std::string m_class;
    HWND m_hwnd = nullptr;
    test::MessageLog* m_log = nullptr;
};

// A visible window on a thread of its own. The window procedure blocks (the
// thread stops pumping) when it gets the chosen message, until Release.
class StallingWindow {
public:
    // A stall ends by itself after capMs, should nothing release it.
    StallingWindow(const char* title, UINT stallOn, DWORD capMs = 30000);
    ~StallingWindow();
    StallingWindow(const StallingWindow&) = delete;
    StallingWindow& operator=(const StallingWindow&) = delete;
    HWND hwnd() const { return m_hwnd; }
    // Whether the thread is inside the stalled handler now.
    bool Stalled() const;
    void Release();

private:
    static DWORD WINAPI Thread(void* self);
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    UINT m_stallOn;
    DWORD m_capMs;
    std::string m_title;
    HWND m_hwnd = nullptr;
    HANDLE m_ready, m_release, m_thread;
    volatile LONG m_stalled = 0;
};

// A window of another process (dockwindows.exe hang) whose thread stopped
// pumping right after showing it. The process is ended with the object.
class HungProgram {
public:
    explicit HungProgram(const char* title, int seconds = 60);
    ~HungProgram();
    HungProgram(const HungProgram&) = delete;
    HungProgram& operator=(const HungProgram&) = delete;
    HWND hwnd() const { return m_hwnd; }
    // The process still has not pumped (its hang has not run out).
    bool StillHanging() const;

private:
    PROCESS_INFORMATION m_pi{};
    HWND m_hwnd = nullptr;
    DWORD m_start = 0;
    int m_seconds;
};

}  // namespace docktest
