#pragma once
// Shared by the in-process benchmarks: a clock in milliseconds, and a docker
// whose owner stands in for the controller dialog (a hidden window, never
// listed, that the popups take as their parent).
#include "docking/Docker.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

#include <algorithm>
#include <vector>

inline double NowMs()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

inline double MedianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class StandInOwner {
public:
    explicit StandInOwner(const wchar_t* name)
    {
        m_main.CreateEx(0, RegisterPlainWndClass(0), name, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr);
        GetApp()->m_pMainWnd = &m_main;
        docker.SetOwner(&m_main);
    }
    ~StandInOwner() { GetApp()->m_pMainWnd = nullptr; }
    HWND hwnd() const { return m_main.m_hWnd; }

    CDocker docker;

private:
    CWnd m_main;
};
