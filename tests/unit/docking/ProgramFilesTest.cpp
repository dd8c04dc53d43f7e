// The program files of processes, looked up once per process.
#include "docking/ProgramFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring OwnPath()
{
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(ProgramFiles, APathPerProcessUntilItEnds)
{
    CProgramFiles files;
    ASSERT_NE(nullptr, files.PathOf(GetCurrentProcessId()));
    EXPECT_EQ(CSTR_EQUAL, CompareStringOrdinal(OwnPath().c_str(), -1, files.PathOf(GetCurrentProcessId()), -1, TRUE));
    EXPECT_EQ(nullptr, files.PathOf(0));
    EXPECT_EQ(nullptr, files.PathOf(0xFFFFFFF0u));   // no such process

    // A process of our own that then ends: known while it runs, not after.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + OwnPath() + L"\" --gtest_list_tests";
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi));
    const CHandle process(pi.hProcess), thread(pi.hThread);
    files.NewRound();
    ASSERT_NE(nullptr, files.PathOf(pi.dwProcessId));
    EXPECT_EQ(2, files.Count());
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    // Within the round it was seen running it stays known; the next round
    // sees it ended.
    EXPECT_NE(nullptr, files.PathOf(pi.dwProcessId));
    files.NewRound();
    EXPECT_EQ(nullptr, files.PathOf(pi.dwProcessId));

    // A process not asked about for long enough is let go.
    for (int i = 0; i < 40; ++i)
        files.NewRound();
    EXPECT_EQ(0, files.Count());
}

}  // namespace
