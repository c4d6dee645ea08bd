// The line lock: one holder per device whatever name the device goes by,
// the one turned away told who has it, and the line free again once the
// holder lets go or dies.
#include <platform/LineLock.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using platform::LineLock;

namespace {

class LineLockTest : public ::testing::Test {
protected:
    platform::testing::TempDir runtime_;
    platform::testing::ScopedEnv env_{"XDG_RUNTIME_DIR", runtime_.path().c_str()};
    platform::testing::TempDir devices_;
    std::string device_ = devices_.write("ttyUSB0", "");
};

TEST_F(LineLockTest, ASecondTakerIsToldWhoHasTheLineUntilItIsReleased)
{
    LineLock first;
    std::string holder;
    ASSERT_TRUE(first.take(device_, "connection XYZ", holder)) << holder;
    EXPECT_TRUE(first.held());
    const std::string me = std::string(program_invocation_short_name) + " (pid " + std::to_string(getpid()) + ")";
    EXPECT_EQ(LineLock::holder(device_), me + ", connection XYZ");

    // Another holder in this very process is turned away too: two
    // connections of one server on one line are two users of it.
    LineLock second;
    EXPECT_FALSE(second.take(device_, "", holder));
    EXPECT_EQ(holder, me + ", connection XYZ");
    EXPECT_FALSE(second.held());

    // Another name of the same device is the same line; another device is free.
    const std::string link = devices_.path() + "/by-id-link";
    std::filesystem::create_symlink(device_, link);
    EXPECT_FALSE(second.take(link, "", holder));
    LineLock other;
    EXPECT_TRUE(other.take(devices_.write("ttyUSB1", ""), "", holder));

    // A move keeps one holder.
    LineLock moved = std::move(first);
    EXPECT_FALSE(first.held());
    EXPECT_TRUE(moved.held());
    EXPECT_FALSE(second.take(device_, "", holder));

    moved.release();
    EXPECT_EQ(LineLock::holder(device_), "");
    EXPECT_TRUE(second.take(link, "", holder)) << holder;
    EXPECT_EQ(LineLock::holder(device_), me);
}

TEST_F(LineLockTest, AHolderThatDiesLeavesTheLineFree)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LineLock lock;
        std::string holder;
        const char ok = lock.take(device_, "backup of line 2", holder) ? '1' : '0';
        if (write(ready[1], &ok, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    close(ready[0]);
    ASSERT_EQ(ok, '1');

    LineLock mine;
    std::string holder;
    EXPECT_FALSE(mine.take(device_, "", holder));
    EXPECT_NE(holder.find("(pid " + std::to_string(child) + "), backup of line 2"), std::string::npos) << holder;

    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    // Its name may linger in the file; the lock is what counts.
    EXPECT_EQ(LineLock::holder(device_), "");
    EXPECT_TRUE(mine.take(device_, "", holder)) << holder;
}

}  // namespace
