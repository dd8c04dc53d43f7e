#include "tests/unit/docking/DockTestSupport.h"

#include "framework/WinApp.h"

#include <cstdio>
#include <cstring>

namespace docktest {

namespace {

CTrayDockDlg* s_dlg = nullptr;
const std::function<void(CTrayDockDlg&)>* s_body = nullptr;

void CALLBACK RunBody(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    CTrayDockDlg* dlg = s_dlg;
    RegDeleteTreeW(HKEY_CURRENT_USER, kRulesTestKey);
    dlg->Docker().Rules().UseKey(kRulesTestKey);
    (*s_body)(*dlg);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRulesTestKey);
    // A quit that the body asked for ends the loop by itself.
    MSG quit;
    if (!PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        dlg->EndDialog(0);
}

}  // namespace

const wchar_t kRulesTestKey[] = L"Software\\TrayletTest\\Rules";

INT_PTR WithDialog(const std::function<void(CTrayDockDlg&)>& body)
{
    CTrayDockDlg dlg;
    s_dlg = &dlg;
    s_body = &body;
    CWinApp* app = GetApp();
    app->m_pMainWnd = &dlg;
    // A thread timer: its callback runs from the dialog's own loop, once the
    // dialog is initialised.
    SetTimer(nullptr, 0, 0, RunBody);
    const INT_PTR result = dlg.DoModal();
    app->m_pMainWnd = nullptr;
    s_dlg = nullptr;
    s_body = nullptr;
    return result;
}

int IndexOf(const CTypedPtrArray<DockEntry>& list, HWND hWnd)
{
    for (int i = 0; i < list.GetSize(); ++i)
        if (list[i]->hWnd == hWnd)
            return i;
    return -1;
}

std::vector<HWND> Handles(const CTypedPtrArray<DockEntry>& list)
{
    std::vector<HWND> out;
    for (int i = 0; i < list.GetSize(); ++i)
        out.push_back(list[i]->hWnd);
    return out;
}

LRESULT Command(CTrayDockDlg& dlg, WPARAM command, LPARAM icon)
{
    return SendMessageA(dlg.m_hWnd, WM_TRAY_COMMAND, command, icon);
}

LPARAM OwnIcon(const CTrayDockDlg& dlg)
{
    return reinterpret_cast<LPARAM>(dlg.TrayIcon().m_hWnd);
}

DockEntry* Dock(CTrayDockDlg& dlg, HWND hWnd)
{
    dlg.Docker().BuildWindowList();
    const int n = IndexOf(dlg.Docker().Windows(), hWnd);
    if (n < 0)
        return nullptr;
    if (Command(dlg, ID_DOCK_FIRST + n, OwnIcon(dlg)) != 1)
        return nullptr;
    const int d = IndexOf(dlg.Docker().Docked(), hWnd);
    return d < 0 ? nullptr : dlg.Docker().Docked()[d];
}

namespace {

struct Walk {
    WNDENUMPROC proc;
    LPARAM lParam;
};

DWORD s_shellPid = 0;   // the taskbar's process, when its windows pass too

BOOL CALLBACK PassOwn(HWND hwnd, LPARAM lParam)
{
    const auto* walk = reinterpret_cast<const Walk*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const bool pass = pid == GetCurrentProcessId() || (s_shellPid && pid == s_shellPid);
    return pass ? walk->proc(hwnd, walk->lParam) : TRUE;
}

BOOL WINAPI EnumOwnWindows(WNDENUMPROC proc, LPARAM lParam)
{
    Walk walk{proc, lParam};
    return EnumWindows(PassOwn, reinterpret_cast<LPARAM>(&walk));
}

}  // namespace

OwnWindowsOnly::OwnWindowsOnly(bool bAndShell) : m_saved(g_pfnEnumWindows)
{
    s_shellPid = 0;
    if (bAndShell)
        GetWindowThreadProcessId(FindWindowA("Shell_TrayWnd", nullptr), &s_shellPid);
    g_pfnEnumWindows = EnumOwnWindows;
}

OwnWindowsOnly::~OwnWindowsOnly()
{
    g_pfnEnumWindows = m_saved;
    s_shellPid = 0;
}

std::vector<std::string> SysCommands(const test::MessageLog& log)
{
    std::vector<std::string> out;
    for (const test::Msg& m : log.all()) {
        if (m.message != WM_SYSCOMMAND)
            continue;
        switch (m.wParam & 0xFFF0) {
        case SC_MINIMIZE: out.push_back("MIN"); break;
        case SC_MAXIMIZE: out.push_back("MAX"); break;
        case SC_RESTORE: out.push_back("RESTORE"); break;
        case SC_CLOSE: out.push_back("CLOSE"); break;
        default: {
            char buf[16];
            std::snprintf(buf, sizeof buf, "0x%lX", static_cast<unsigned long>(m.wParam));
            out.push_back(buf);
        }
        }
    }
    return out;
}

ClassWindow::ClassWindow(const char* cls, const char* title, DWORD style, HWND owner) : m_class(cls)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    m_hwnd = CreateWindowExA(0, cls, title, style, 120, 120, 240, 160, owner, nullptr, GetModuleHandleA(nullptr),
                             nullptr);
    m_log = test::MessageLog::Subclass(m_hwnd);
}

ClassWindow::~ClassWindow()
{
    delete m_log;
    DestroyWindow(m_hwnd);
    UnregisterClassA(m_class.c_str(), GetModuleHandleA(nullptr));
}

std::string ClassWindow::className() const
{
    char buf[128] = "";
    GetClassNameA(m_hwnd, buf, sizeof buf);
    return buf;
}

StallingWindow::StallingWindow(const char* title, UINT stallOn, DWORD capMs)
    : m_stallOn(stallOn), m_capMs(capMs), m_title(title)
{
    m_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, Thread, this, 0, nullptr);
    WaitForSingleObject(m_ready, 10000);
}

StallingWindow::~StallingWindow()
{
    Release();
    PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
    WaitForSingleObject(m_thread, 10000);
    CloseHandle(m_thread);
    CloseHandle(m_release);
    CloseHandle(m_ready);
}

bool StallingWindow::Stalled() const
{
    return m_stalled != 0;
}

void StallingWindow::Release()
{
    SetEvent(m_release);
}

DWORD WINAPI StallingWindow::Thread(void* param)
{
    auto* self = static_cast<StallingWindow*>(param);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DockTestStalling";
    RegisterClassA(&wc);
    self->m_hwnd = CreateWindowExA(0, wc.lpszClassName, self->m_title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   200, 200, 200, 120, nullptr, nullptr, wc.hInstance, self);
    SetEvent(self->m_ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

LRESULT CALLBACK StallingWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<StallingWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // Only a message from another thread: the window's own painting asks it
    // for its icon too.
    if (self && message == self->m_stallOn && InSendMessage()) {
        // Stops pumping: nothing else reaches this thread until released.
        InterlockedExchange(&self->m_stalled, 1);
        WaitForSingleObject(self->m_release, self->m_capMs);
        InterlockedExchange(&self->m_stalled, 0);
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HungProgram::HungProgram(const char* title, int seconds) : m_seconds(seconds)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\'))
        slash[1] = '\0';
    char cmd[2 * MAX_PATH];
    std::snprintf(cmd, sizeof cmd, "\"%sdockwindows.exe\" hang \"%s\" %d", path, title, seconds);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    m_start = GetTickCount();
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
        return;
    test::PumpUntil([&] { return (m_hwnd = FindWindowA(nullptr, title)) != nullptr; }, 10000);
}

HungProgram::~HungProgram()
{
    if (m_pi.hProcess) {
        TerminateProcess(m_pi.hProcess, 0);
        WaitForSingleObject(m_pi.hProcess, 5000);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
}

bool HungProgram::StillHanging() const
{
    return GetTickCount() - m_start < static_cast<DWORD>(m_seconds) * 1000;
}

}  // namespace docktest
