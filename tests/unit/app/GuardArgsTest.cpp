// The guard's command line is read strictly: a guard acts on another
// process's windows, so anything but exactly its own arguments does nothing.
#include "app/Guard.h"

#include <gtest/gtest.h>

namespace {

TEST(GuardArgs, ExactlyTheSwitchAnIdAndSixteenHexDigits)
{
    DWORD pid = 0;
    ULONGLONG created = 0;
    EXPECT_EQ(GuardArgs::Valid, ParseGuardArgs("/guard 268 01DD8665803AE3AA", &pid, &created));
    EXPECT_EQ(268u, pid);
    EXPECT_EQ(0x01DD8665803AE3AAull, created);
    EXPECT_EQ(GuardArgs::Valid, ParseGuardArgs("/guard 4294967295 ffffffffffffffff", &pid, &created));
    EXPECT_EQ(0xFFFFFFFFu, pid);
    EXPECT_EQ(~0ull, created);
}

TEST(GuardArgs, AnythingElseThatBeginsAsAGuardsIsMalformed)
{
    const char* const malformed[] = {
        "/guard", "/guard ", "/guard 268", "/guard 268 ", "/guard 268 01DD8665803AE3A",
        "/guard 268 01DD8665803AE3AA0", "/guard 268 01DD8665803AE3AG", "/guard 268 01DD8665803AE3AA ",
        "/guard  268 01DD8665803AE3AA", "/guard 268  01DD8665803AE3AA", "/guard 0 01DD8665803AE3AA",
        "/guard 4294967296 01DD8665803AE3AA", "/guard 00000000268 01DD8665803AE3AA", "/guard -268 01DD8665803AE3AA",
        "/guard 268 0x1DD8665803AE3AA", "/guard\t268 01DD8665803AE3AA", "/guardian 268 01DD8665803AE3AA"};
    for (const char* args : malformed) {
        DWORD pid = 7;
        ULONGLONG created = 7;
        EXPECT_EQ(GuardArgs::Malformed, ParseGuardArgs(args, &pid, &created)) << args;
        EXPECT_TRUE(pid == 7 && created == 7) << args;
    }
}

TEST(GuardArgs, OtherCommandLinesAreANormalStart)
{
    DWORD pid = 0;
    ULONGLONG created = 0;
    for (const char* args : {"", "/Guard 268 01DD8665803AE3AA", " /guard 268 01DD8665803AE3AA", "guard", "-guard"})
        EXPECT_EQ(GuardArgs::None, ParseGuardArgs(args, &pid, &created)) << args;
    EXPECT_EQ(GuardArgs::None, ParseGuardArgs(nullptr, &pid, &created));
}

}  // namespace
