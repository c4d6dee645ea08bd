#include <platform/Clock.h>
#include <platform/PortMap.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <sys/resource.h>

using namespace platform;

TEST(PortMap, DefaultsSettingsAndEnvironment)
{
    platform::testing::TempDir dir;
    platform::testing::RegistryRedirect redirect(dir.path());
    unsetenv("AVIARY_COM3");
    EXPECT_EQ(comPortName(3), "COM3");
    EXPECT_EQ(comPortDevice(1), "/dev/ttyS0");
    EXPECT_EQ(comPortDevice(8), "/dev/ttyS7");
    ASSERT_TRUE(setComPortDevice(3, "/dev/ttyUSB0"));
    EXPECT_EQ(comPortDevice(3), "/dev/ttyUSB0");
    EXPECT_NE(dir.read("ports.ini").find("COM3=/dev/ttyUSB0"), std::string::npos);
    setenv("AVIARY_COM3", "/dev/pts/9", 1);
    EXPECT_EQ(comPortDevice(3), "/dev/pts/9");
    unsetenv("AVIARY_COM3");
}

TEST(PortMap, ATemporaryMappingPutsBackTheUsersOwnEntry)
{
    platform::testing::TempDir dir;
    platform::testing::RegistryRedirect redirect(dir.path());
    unsetenv("AVIARY_COM8");
    unsetenv("AVIARY_COM7");
    ASSERT_TRUE(setComPortDevice(8, "/dev/ttyUSB1"));
    {
        TemporaryComPort lent(8, "/dev/pts/4");
        ASSERT_TRUE(lent.ok());
        EXPECT_EQ(comPortDevice(8), "/dev/pts/4");
        TemporaryComPort other(7, "/dev/pts/5");
        EXPECT_EQ(comPortDevice(7), "/dev/pts/5");
    }
    EXPECT_EQ(comPortDevice(8), "/dev/ttyUSB1");
    EXPECT_EQ(comPortDevice(7), "/dev/ttyS6");
    EXPECT_EQ(dir.read("ports.ini").find("COM7"), std::string::npos);
}

// The telegram timing pauses for every request: a pause that spins keeps a
// core busy for the whole scan of a line.
TEST(Clock, PauseGivesTheProcessorAway)
{
    // A spin shows as processor time on an idle machine and as the
    // scheduler taking the processor back again and again on a busy one.
    rusage before{}, after{};
    ASSERT_EQ(::getrusage(RUSAGE_THREAD, &before), 0);
    pause(100);
    ASSERT_EQ(::getrusage(RUSAGE_THREAD, &after), 0);
    auto us = [](const timeval& t) { return int64_t(t.tv_sec) * 1'000'000 + t.tv_usec; };
    const int64_t usedUs = us(after.ru_utime) - us(before.ru_utime) + us(after.ru_stime) - us(before.ru_stime);
    const long preempted = after.ru_nivcsw - before.ru_nivcsw;
    EXPECT_LT(usedUs, 20'000);
    EXPECT_LT(preempted, 5);
}

TEST(Clock, PauseNeverEndsEarlyAndTimeoutIsStrict)
{
    const int64_t t0 = highResCounter();
    pause(3);
    EXPECT_GE(highResCounter() - t0, 3 * highResFrequency() / 1000);

    Timeout zero(0);
    // "strictly greater": a zero time-out has not passed within the same tick.
    const uint32_t start = tickCount();
    if (tickCount() == start) {
        EXPECT_FALSE(zero.timedOut());
    }
    sleepMs(2);
    EXPECT_TRUE(zero.timedOut());
}
