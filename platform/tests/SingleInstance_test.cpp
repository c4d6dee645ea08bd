#include <platform/SingleInstance.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <poll.h>

using platform::SingleInstance;

TEST(SingleInstance, SecondStartKnocksAndEnds)
{
    platform::testing::TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    SingleInstance first("AviaryTest");
    ASSERT_TRUE(first.acquire());
    ASSERT_GE(first.activationFd(), 0);
    {
        SingleInstance second("AviaryTest");
        EXPECT_FALSE(second.acquire());
        EXPECT_EQ(second.activationFd(), -1);
    }
    pollfd p{first.activationFd(), POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 2000), 1);
    int raised = 0;
    EXPECT_EQ(first.serviceActivations([&] { ++raised; }), 1);
    EXPECT_EQ(raised, 1);

    // Another program name is another instance.
    SingleInstance other("AviaryOther");
    EXPECT_TRUE(other.acquire());
}

TEST(SingleInstance, ALeftOverSocketFileDoesNotBlockTheNextStart)
{
    platform::testing::TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    {
        SingleInstance crashed("AviaryTest");
        ASSERT_TRUE(crashed.acquire());
    }
    // A crashed instance leaves its files; the lock is gone with the process.
    dir.write("aviary-AviaryTest-" + std::to_string(getuid()) + ".sock", "");
    SingleInstance next("AviaryTest");
    EXPECT_TRUE(next.acquire());
    EXPECT_GE(next.activationFd(), 0);
}
