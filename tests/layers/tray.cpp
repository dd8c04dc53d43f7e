// Linked with tray/, menu/ and framework/ alone: the tray icons own the
// shell's registered messages and need nothing of the folders above them.
#include "tray/TrayIcon.h"

#include <gtest/gtest.h>

TEST(TrayAlone, RegistersTheShellsMessagesItself)
{
    EXPECT_EQ(0u, WM_TRAYICON_CALLBACK) << "registered before anyone asked";
    RegisterTrayMessages();
    EXPECT_EQ(RegisterWindowMessageA("TaskbarCreated"), WM_TASKBARCREATED);
    EXPECT_EQ(RegisterWindowMessageA("TrayIconCallBack"), WM_TRAYICON_CALLBACK);
    EXPECT_NE(WM_TASKBARCREATED, WM_TRAYICON_CALLBACK);
}
