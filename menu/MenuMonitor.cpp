#include "menu/MenuMonitor.h"

namespace {

// GetDpiForMonitor lives in shcore.dll, which older systems lack, so it is
// looked up rather than imported. MDT_EFFECTIVE_DPI is 0.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFn LookUpGetDpiForMonitor()
{
    HMODULE shcore = GetModuleHandleW(L"shcore.dll");
    if (!shcore)
        shcore = LoadLibraryW(L"shcore.dll");
    return shcore ? reinterpret_cast<GetDpiForMonitorFn>(GetProcAddress(shcore, "GetDpiForMonitor")) : nullptr;
}

UINT ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT SystemDpiForMonitor(HMONITOR hMonitor)
{
    static const GetDpiForMonitorFn getDpi = LookUpGetDpiForMonitor();
    UINT x = 0, y = 0;
    if (getDpi && hMonitor && SUCCEEDED(getDpi(hMonitor, 0, &x, &y)) && y > 0)
        return y;
    return ScreenDpi();
}

}  // namespace

UINT (*g_pfnMenuDpiForMonitor)(HMONITOR) = SystemDpiForMonitor;

MenuMonitor MonitorAt(POINT pt)
{
    MenuMonitor m{};
    m.hMonitor = MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (m.hMonitor && GetMonitorInfoW(m.hMonitor, &mi)) {
        m.rcMonitor = mi.rcMonitor;
        m.rcWork = mi.rcWork;
    } else {
        m.rcMonitor = m.rcWork = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    m.nDpi = MonitorDpi(m.hMonitor);
    return m;
}

int MonitorDpi(HMONITOR hMonitor)
{
    return static_cast<int>(g_pfnMenuDpiForMonitor(hMonitor));
}
