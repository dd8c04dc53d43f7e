// Linked with docking/, tray/, menu/ and framework/ alone: the docked
// windows' owner needs nothing of the application above it.
#include "docking/Docker.h"

#include <gtest/gtest.h>

TEST(DockingAlone, AnOwnerWithNothingDockedFindsNoIconAndReadsItsRecordBack)
{
    CDocker docker;
    EXPECT_EQ(-1, docker.FindDockedByIcon(reinterpret_cast<HWND>(0x1234)));
    EXPECT_TRUE(docker.Docked().IsEmpty());
    const DockRecordHeader header{kDockRecordTag, 1, 2};
    ULONGLONG created = 0;
    DWORD count = 7;
    ASSERT_TRUE(ParseDockRecord(reinterpret_cast<const BYTE*>(&header), sizeof header, &created, &count));
    EXPECT_EQ(0x200000001ull, created);
    EXPECT_EQ(0u, count);
}
