#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstdio>

namespace test {

bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return cond();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (cond())
                return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, (std::min<DWORD>)(10, timeoutMs - elapsed), QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

void Flush()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

namespace {
const char kLogProp[] = "Traylet.test.MessageLog";
const char kLogClass[] = "TrayletTestRecorder";

void RegisterRecorderClass()
{
    static bool done = false;
    if (done)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kLogClass;
    RegisterClassA(&wc);
    done = true;
}
}  // namespace

MessageLog::MessageLog(const char* title, DWORD style, DWORD exStyle, HWND owner)
{
    RegisterRecorderClass();
    m_hwnd = CreateWindowExA(exStyle, kLogClass, title, style, 100, 100, 200, 150, owner, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    m_ownsWindow = true;
    SetPropA(m_hwnd, kLogProp, this);
    m_super = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
}

MessageLog* MessageLog::Subclass(HWND hwnd)
{
    auto* log = new MessageLog(Adopt{});
    log->m_hwnd = hwnd;
    SetPropA(hwnd, kLogProp, log);
    log->m_super = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    return log;
}

MessageLog::~MessageLog()
{
    if (IsWindow(m_hwnd)) {
        SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_super));
        RemovePropA(m_hwnd, kLogProp);
        if (m_ownsWindow)
            DestroyWindow(m_hwnd);
    }
}

LRESULT CALLBACK MessageLog::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* log = static_cast<MessageLog*>(GetPropA(hwnd, kLogProp));
    if (!log)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    log->m_msgs.push_back({message, wParam, lParam, InSendMessage() != FALSE || GetMessageTime() == 0});
    WNDPROC super = log->m_super;
    if (log->answer) {
        bool handled = false;
        LRESULT r = log->answer(hwnd, message, wParam, lParam, handled);
        if (handled)
            return r;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        RemovePropA(hwnd, kLogProp);
    }
    return CallWindowProcA(super, hwnd, message, wParam, lParam);
}

std::vector<Msg> MessageLog::only(std::initializer_list<UINT> messages) const
{
    std::vector<Msg> out;
    for (const Msg& m : m_msgs)
        for (UINT want : messages)
            if (m.message == want)
                out.push_back(m);
    return out;
}

size_t MessageLog::count(UINT message) const
{
    size_t n = 0;
    for (const Msg& m : m_msgs)
        n += m.message == message;
    return n;
}

std::string MessageName(UINT message)
{
    switch (message) {
    case WM_NULL: return "WM_NULL";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    case WM_COMMAND: return "WM_COMMAND";
    case WM_TIMER: return "WM_TIMER";
    case WM_PAINT: return "WM_PAINT";
    case WM_GETICON: return "WM_GETICON";
    case WM_WINDOWPOSCHANGING: return "WM_WINDOWPOSCHANGING";
    case WM_WINDOWPOSCHANGED: return "WM_WINDOWPOSCHANGED";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_USER + 500: return "WM_TRAY_BUILDMENU";
    case WM_USER + 501: return "WM_TRAY_COMMAND";
    default: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%04X", message);
        return buf;
    }
    }
}

std::string Describe(const std::vector<Msg>& msgs)
{
    std::string out;
    char buf[96];
    for (const Msg& m : msgs) {
        std::snprintf(buf, sizeof buf, "(0x%lX, 0x%lX) %s\n", static_cast<unsigned long>(m.wParam),
                      static_cast<unsigned long>(m.lParam), m.sent ? "sent" : "posted");
        out += MessageName(m.message) + buf;
    }
    return out.empty() ? "(none)\n" : out;
}

COLORREF Pixel(HDC dc, int x, int y)
{
    return GetPixel(dc, x, y);
}

Canvas::Canvas(int width, int height, COLORREF fill) : m_w(width), m_h(height)
{
    HDC screen = GetDC(nullptr);
    m_dc = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    m_bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    m_old = SelectObject(m_dc, m_bmp);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT rc{0, 0, width, height};
    FillRect(m_dc, &rc, brush);
    DeleteObject(brush);
}

Canvas::~Canvas()
{
    SelectObject(m_dc, m_old);
    DeleteObject(m_bmp);
    DeleteDC(m_dc);
}

std::string Utf8(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const char* utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], n);
    return out;
}

}  // namespace test
