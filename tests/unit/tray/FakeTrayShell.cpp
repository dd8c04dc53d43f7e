#include "tests/unit/tray/FakeTrayShell.h"

#include <algorithm>
#include <cstring>

namespace test {

namespace {

FakeTrayShell* g_fake = nullptr;

BOOL WINAPI FakeNotifyIcon(DWORD op, PNOTIFYICONDATAA data)
{
    NotifyCall call{};
    call.op = op;
    call.cbSizeSeen = data->cbSize;
    // What a shell reads of the record: as many bytes as it says it has.
    std::memcpy(&call.nid, data, std::min<DWORD>(data->cbSize, 88));
    g_fake->notify.push_back(call);
    return g_fake->notifyResult;
}

BOOL WINAPI FakeSystemParametersInfo(UINT action, UINT param, PVOID pv, UINT winIni)
{
    if (action == SPI_GETANIMATION) {
        ++g_fake->animationQueries;
        g_fake->animationSizeSeen = param;
        auto* info = static_cast<ANIMATIONINFO*>(pv);
        g_fake->animationCbSizeSeen = info->cbSize;
        if (!g_fake->animationAnswers)
            return FALSE;
        info->iMinAnimate = g_fake->minAnimate;
        return TRUE;
    }
    if (action == SPI_GETWORKAREA) {
        ++g_fake->workAreaQueries;
        if (!g_fake->workAreaAnswers)
            return FALSE;
        *static_cast<RECT*>(pv) = g_fake->workArea;
        return TRUE;
    }
    return SystemParametersInfoA(action, param, pv, winIni);
}

BOOL WINAPI FakeDrawAnimatedRects(HWND hwnd, int idAni, const RECT* from, const RECT* to)
{
    g_fake->draws.push_back({hwnd, idAni, *from, *to, IsWindowVisible(hwnd), IsIconic(hwnd)});
    return TRUE;
}

UINT_PTR WINAPI FakeAppBarMessage(DWORD message, PAPPBARDATA data)
{
    ++g_fake->appBarQueries;
    g_fake->appBarMessageSeen = message;
    g_fake->appBarCbSizeSeen = data->cbSize;
    if (g_fake->appBarResult) {
        data->uEdge = g_fake->appBarEdge;
        data->rc = g_fake->appBarRect;
    }
    return g_fake->appBarResult;
}

HWND WINAPI FakeFindWindow(LPCSTR cls, LPCSTR title)
{
    g_fake->findClasses.push_back(cls ? cls : "(null)");
    if (title)
        return nullptr;   // the program never asks by title
    return g_fake->taskbar;
}

}  // namespace

FakeTrayShell::FakeTrayShell() : m_saved(g_trayShell)
{
    g_fake = this;
    g_trayShell = {&FakeNotifyIcon, &FakeSystemParametersInfo, &FakeDrawAnimatedRects, &FakeAppBarMessage,
                   &FakeFindWindow};
}

FakeTrayShell::~FakeTrayShell()
{
    g_trayShell = m_saved;
    g_fake = nullptr;
}

std::vector<NotifyCall> FakeTrayShell::Calls(DWORD op, HWND hwnd) const
{
    std::vector<NotifyCall> out;
    for (const NotifyCall& c : notify)
        if (c.op == op && c.nid.hWnd == hwnd)
            out.push_back(c);
    return out;
}

}  // namespace test
