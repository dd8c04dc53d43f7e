// The one-second sweep with rules, inside one process that runs the
// program's own code as the controller dialog does, over the windows of
// another process (bench/manywindows.cpp) that the main menu lists:
//   - no rules;
//   - 20 rules, none of them for the listed windows' program;
//   - 20 rules, one of them for it (both triggers, a title pattern that
//     matches none of them), while the windows still count as opening and
//     once their ten seconds are over.
// Each figure is the median of RUNS sweeps in milliseconds, after a first
// sweep that meets every window (its figure is "first"). With the 20 rules
// for other programs, each sweep is timed right after the system's
// enumeration of the top-level windows alone ("walk"), which every sweep
// with rules makes once; "added" is the median of the differences, what the
// rules cost beyond the walk (taken in pairs, so that the load of a shared
// machine falls on both alike).
//   usage: rulephases RUNS
// Prints one line:
//   "none N walk W other O added D opening P after A first F"
#include "bench/PhaseKit.h"

#include <cstdio>
#include <cstdlib>

namespace {

const wchar_t kKey[] = L"Software\\TrayletBench\\Rules";

double Time(CDocker& docker)
{
    const double t0 = NowMs();
    docker.Sweep();
    return NowMs() - t0;
}

BOOL CALLBACK Nothing(HWND, LPARAM)
{
    return TRUE;
}

double TimeWalk()
{
    const double t0 = NowMs();
    EnumWindows(Nothing, 0);
    return NowMs() - t0;
}

double Median(CDocker& docker, int runs)
{
    std::vector<double> v;
    for (int i = 0; i < runs; ++i)
        v.push_back(Time(docker));
    return MedianOf(v);
}

// Twenty rules under the bench's key; with bMine, the last names the
// listed windows' program.
void WriteRules(int count, bool bMine)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    for (int i = 0; i < count; ++i) {
        wchar_t sub[300], program[64];
        const bool mine = bMine && i == count - 1;
        wsprintfW(program, mine ? L"manywindows.exe" : L"program%02d.exe", i);
        wsprintfW(sub, L"%s\\rule%02d", kKey, i);
        HKEY h = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, sub, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
        const DWORD when = RULE_BOTH;
        RegSetValueExW(h, L"Program", 0, REG_SZ, reinterpret_cast<const BYTE*>(program),
                       static_cast<DWORD>((lstrlenW(program) + 1) * sizeof(wchar_t)));
        RegSetValueExW(h, L"When", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&when), sizeof when);
        if (mine)
            RegSetValueExW(h, L"Title", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Nothing *"), 20);
        RegCloseKey(h);
    }
}

// The docker meets every window anew under these rules; the first sweep's
// time.
double Begin(CDocker& docker, int count, bool bMine)
{
    WriteRules(count, bMine);
    docker.Rules().UseKey(kKey);
    docker.Rules().Start();
    return Time(docker);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const int runs = std::atoi(argv[1]);
    StandInOwner owner(L"rulephases");
    CDocker& docker = owner.docker;

    Begin(docker, 0, false);
    const double none = Median(docker, runs);
    Begin(docker, 20, false);
    std::vector<double> walks, sweeps, added;
    for (int i = 0; i < runs; ++i) {
        walks.push_back(TimeWalk());
        sweeps.push_back(Time(docker));
        added.push_back(sweeps.back() - walks.back());
    }
    const double first = Begin(docker, 20, true);
    const DWORD opened = GetTickCount();
    const double opening = Median(docker, runs);
    // The windows' ten seconds of opening run out.
    Sleep(kOpeningMs + 500 - std::min<DWORD>(GetTickCount() - opened, kOpeningMs));
    const double after = Median(docker, runs);
    std::printf("none %.3f walk %.3f other %.3f added %.3f opening %.3f after %.3f first %.3f\n", none,
                MedianOf(walks), MedianOf(sweeps), MedianOf(added), opening, after, first);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TrayletBench");
    docker.Rules().Stop();
    return 0;
}
