#include <platform/ReadDeadline.h>

#include <platform/tests/SerialTestSupport.h>

#include <gtest/gtest.h>

namespace platform {
namespace {

using Clock = ReadDeadline::Clock;
using std::chrono::milliseconds;

const Clock::time_point t0{std::chrono::hours(1)};

TEST(ReadDeadline, ReturnAtOnceEndsAtTheStart)
{
    ReadDeadline d({kMax, 0, 0}, 10, t0);
    EXPECT_TRUE(d.satisfied());
    EXPECT_EQ(d.deadline(), t0);
}

TEST(ReadDeadline, FirstByteEndsTheWaitOrTheConstantDoes)
{
    ReadDeadline d({kMax, kMax, 250}, 10, t0);
    EXPECT_FALSE(d.satisfied());
    EXPECT_EQ(d.deadline(), t0 + milliseconds(250));
    d.arrived(1, t0 + milliseconds(5));
    EXPECT_TRUE(d.satisfied());
}

TEST(ReadDeadline, MaxdwordIntervalOutsideTheSpecialCasesMeansNoInterval)
{
    // MAXDWORD/MAXDWORD needs 0 < constant < MAXDWORD to mean "first byte".
    ReadDeadline d({kMax, 0, 100}, 10, t0);
    d.arrived(3, t0 + milliseconds(10));
    EXPECT_FALSE(d.satisfied());
    EXPECT_EQ(d.deadline(), t0 + milliseconds(100));
}

TEST(ReadDeadline, TotalIsMultiplierTimesRequestPlusConstant)
{
    ReadDeadline d({0, 7, 20}, 10, t0);
    EXPECT_EQ(d.deadline(), t0 + milliseconds(90));
    EXPECT_FALSE(d.expired(t0 + milliseconds(89)));
    EXPECT_TRUE(d.expired(t0 + milliseconds(90)));
    d.arrived(10, t0 + milliseconds(1));
    EXPECT_TRUE(d.satisfied());
}

TEST(ReadDeadline, IntervalRunsFromTheLastByteAndTotalCapsIt)
{
    ReadDeadline d({30, 0, 100}, 10, t0);
    EXPECT_EQ(d.deadline(), t0 + milliseconds(100));   // no byte yet: no interval
    d.arrived(1, t0 + milliseconds(20));
    EXPECT_EQ(d.deadline(), t0 + milliseconds(50));
    d.arrived(2, t0 + milliseconds(45));
    EXPECT_EQ(d.deadline(), t0 + milliseconds(75));
    d.arrived(3, t0 + milliseconds(90));
    EXPECT_EQ(d.deadline(), t0 + milliseconds(100));
}

TEST(ReadDeadline, AllZeroWaitsForEveryByteWithoutLimit)
{
    ReadDeadline d({0, 0, 0}, 4, t0);
    EXPECT_FALSE(d.deadline().has_value());
    d.arrived(3, t0 + milliseconds(5));
    EXPECT_FALSE(d.satisfied());
    EXPECT_FALSE(d.deadline().has_value());
    d.arrived(4, t0 + milliseconds(6));
    EXPECT_TRUE(d.satisfied());
}

TEST(ReadDeadline, HugeMultipliersDoNotOverflow)
{
    ReadDeadline d({0, kMax - 1, kMax}, size_t(1) << 40, t0);
    ASSERT_TRUE(d.deadline().has_value());
    EXPECT_EQ(*d.deadline(), t0 + milliseconds(kMax));
}

TEST(ReadDeadline, ZeroBytesRequestedNeverWait)
{
    ReadDeadline d({kMax, kMax, 100}, 0, t0);
    EXPECT_TRUE(d.satisfied());
}

TEST(WriteDeadline, MultiplierPerByteAndZeroForNoLimit)
{
    EXPECT_EQ(writeDeadline({0, 0, 0, 2, 10}, 5, t0), t0 + milliseconds(20));
    EXPECT_FALSE(writeDeadline({0, 0, 0, 0, 0}, 5, t0).has_value());
}

TEST(PollMilliseconds, RoundsUpAndKnowsNoDeadline)
{
    EXPECT_EQ(pollMilliseconds(std::nullopt, t0), -1);
    EXPECT_EQ(pollMilliseconds(t0 - milliseconds(1), t0), 0);
    EXPECT_EQ(pollMilliseconds(t0 + std::chrono::microseconds(1500), t0), 2);
    EXPECT_EQ(pollMilliseconds(t0 + milliseconds(kMax), t0), INT32_MAX);
}

}  // namespace
}  // namespace platform
