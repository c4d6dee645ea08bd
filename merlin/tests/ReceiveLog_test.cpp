#include <merlin/core/ReceiveLog.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

using namespace merlin;

TEST(ReceiveLog, MarkersAppendWithCrLfOnlyWithDebugOn)
{
    platform::testing::TempDir dir;
    EXPECT_FALSE(receiveLog(false, dir.path()));

    const DebugLog log = receiveLog(true, dir.path());
    ASSERT_TRUE(log);
    log("EXAM NETWORK - START");
    log("EXAM NETWORK - END");
    // A later operation adds to what an earlier one left.
    EXPECT_TRUE(appendReceiveLine(dir.path(), "UPLOAD ALL - START"));
    EXPECT_EQ(dir.read("Receive.txt"), "EXAM NETWORK - START\r\nEXAM NETWORK - END\r\nUPLOAD ALL - START\r\n");

    // A folder that is gone: reported to the caller, and the operation's
    // log goes on quietly.
    EXPECT_FALSE(appendReceiveLine(dir.file("gone"), "X"));
    receiveLog(true, dir.file("gone"))("X");
}
