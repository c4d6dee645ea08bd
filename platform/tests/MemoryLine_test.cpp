#include <platform/MemoryLine.h>

#include <platform/tests/SerialTestSupport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const CommTimeouts kAtOnce{kMax, 0, 0, 0, 0};

// A's output queue and B's input queue.
std::pair<size_t, size_t> queues(MemoryLine& line)
{
    size_t queued = 99, waiting = 99;
    EXPECT_EQ(line.a().outputQueue(queued), SerialResult::Ok);
    EXPECT_EQ(line.b().inputQueue(waiting), SerialResult::Ok);
    return {queued, waiting};
}

TEST(MemoryLine, CarriesBytesBothWaysAndHearsItselfOnlyWithEcho)
{
    MemoryLine line({.echoA = true});
    line.a().setTimeouts(kAtOnce);
    line.b().setTimeouts(kAtOnce);

    ASSERT_EQ(line.a().writeAll("ping"), SerialResult::Ok);
    ASSERT_EQ(line.b().writeAll("pong"), SerialResult::Ok);

    EXPECT_EQ(readText(line.b(), 16), "ping");           // B has no echo
    EXPECT_EQ(readText(line.a(), 16), "pingpong");       // A hears itself first
}

TEST(MemoryLine, PacesBytesAtTheWritersWireTime)
{
    MemoryLine line({.pacing = true});
    // 1200 baud 7E2: 11 bits, 9.17 ms a byte; 12 bytes take 110 ms.
    ASSERT_EQ(line.a().configure({1200, 7, Parity::Even, StopBits::Two}), SerialResult::Ok);
    line.b().setTimeouts({0, 0, 2000, 0, 0});
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(line.a().writeAll("twelve bytes"), SerialResult::Ok);

    const auto [queued, waiting] = queues(line);
    EXPECT_GE(queued, 10u);       // nothing much has left the wire yet
    EXPECT_LE(waiting, 2u);

    EXPECT_EQ(readText(line.b(), 12), "twelve bytes");
    EXPECT_GE(msSince(start), 109);
    EXPECT_LT(msSince(start), 1000);
}

TEST(MemoryLine, DrainWaitsUntilTheOutputIsOnTheWire)
{
    MemoryLine line({.pacing = true});
    line.a().configure({9600});   // 8N1: 1.04 ms a byte
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(line.a().writeAll(std::string(48, 'x')), SerialResult::Ok);
    ASSERT_EQ(line.a().drain(), SerialResult::Ok);
    EXPECT_GE(msSince(start), 49);

    EXPECT_EQ(queues(line), std::make_pair(size_t(0), size_t(48)));
}

TEST(MemoryLine, WithoutPacingNothingWaitsForTheWire)
{
    MemoryLine line;
    line.a().configure({1200});
    line.a().writeAll(std::string(100, 'x'));
    EXPECT_EQ(queues(line), std::make_pair(size_t(0), size_t(100)));
}

TEST(MemoryLine, PurgeOutputTakesBackWhatHasNotLeft)
{
    MemoryLine line({.pacing = true});
    line.a().configure({1200});   // 8.3 ms a byte: 50 bytes take 417 ms
    constexpr long long kAllSentMs = 50 * 10 * 1000 / 1200 + 1;
    const Clock::time_point start = Clock::now();
    line.a().writeAll(std::string(50, 'x'));
    ASSERT_EQ(line.a().purge(false, true), SerialResult::Ok);
    const long long purgedAfter = msSince(start);
    // A purge after half the wire time could not show that it took anything back.
    ASSERT_LT(purgedAfter, kAllSentMs / 2);
    size_t queued = 1;
    line.a().outputQueue(queued);
    EXPECT_EQ(queued, 0u);

    // Read until well after every byte would have arrived without the purge
    // (all 50 then, even on a loaded machine); only what was on the wire
    // when it came may arrive (one byte more for the one under way), fewer
    // than half of them.
    const auto untilAllSent = static_cast<uint32_t>(std::max(1LL, kAllSentMs + 300 - msSince(start)));
    line.b().setTimeouts({0, 0, untilAllSent, 0, 0});
    const size_t arrived = readText(line.b(), 64).size();
    EXPECT_LE(arrived, size_t(purgedAfter * 1200 / 10 / 1000 + 1));
    EXPECT_LT(arrived, 25u);
}

TEST(MemoryLine, PurgeInputDropsWhatHasArrived)
{
    MemoryLine line;
    line.a().writeAll("stale");
    ASSERT_EQ(line.b().purge(true, false), SerialResult::Ok);
    line.a().writeAll("fresh");
    line.b().setTimeouts(kAtOnce);
    EXPECT_EQ(readText(line.b(), 16), "fresh");
}

TEST(MemoryLine, CtsFollowsThePeersRtsOrOwnRtsInLoopMode)
{
    MemoryLine line;
    bool cts = true;
    ASSERT_EQ(line.a().setRts(true), SerialResult::Ok);
    ASSERT_EQ(line.b().cts(cts), SerialResult::Ok);
    EXPECT_TRUE(cts);
    line.a().cts(cts);
    EXPECT_FALSE(cts);

    line.setOptions({.rtsCtsLoop = true});
    line.a().cts(cts);
    EXPECT_TRUE(cts);
    line.b().cts(cts);
    EXPECT_FALSE(cts);
    line.a().setRts(false);
    line.a().cts(cts);
    EXPECT_FALSE(cts);
}

TEST(MemoryLine, ClosingAnEndDropsItsRts)
{
    MemoryLine line;
    line.a().setRts(true);
    line.a().close();
    line.a().open("");
    bool cts = true;
    line.b().cts(cts);
    EXPECT_FALSE(cts);
}

TEST(MemoryLine, InjectedEventsAreReportedOnceAtTheirEnd)
{
    MemoryLine line;
    line.injectEventA(EventBreak);
    line.injectEventA(EventFraming);
    line.injectEventB(EventParity);
    EXPECT_EQ(line.a().takeEvents(), uint32_t(EventBreak | EventFraming));
    EXPECT_EQ(line.a().takeEvents(), 0u);
    EXPECT_EQ(line.b().takeEvents(), uint32_t(EventParity));
}

TEST(MemoryLine, BreakReachesTheFarEnd)
{
    MemoryLine line;
    ASSERT_EQ(line.a().sendBreak(5), SerialResult::Ok);
    EXPECT_EQ(line.b().takeEvents(), uint32_t(EventBreak));
    EXPECT_EQ(line.a().takeEvents(), 0u);
}

TEST(MemoryLine, RefusesSettingsARealPortRefuses)
{
    MemoryLine line;
    SerialSettings s;
    s.stopBits = StopBits::OneAndHalf;
    EXPECT_EQ(line.a().configure(s), SerialResult::InvalidSetting);
    EXPECT_EQ(line.a().settings().stopBits, StopBits::One);   // unchanged
}

TEST(MemoryLine, ClosedEndRefusesWorkAndForgetsItsInput)
{
    MemoryLine line;
    line.b().writeAll("old");
    ASSERT_EQ(line.a().close(), SerialResult::Ok);
    EXPECT_FALSE(line.a().isOpen());
    SerialResult r;
    readText(line.a(), 4, &r);
    EXPECT_EQ(r, SerialResult::NotOpen);
    EXPECT_EQ(line.a().writeAll("x"), SerialResult::NotOpen);
    line.b().writeAll("lost");          // nobody listens

    ASSERT_EQ(line.a().open("ignored"), SerialResult::Ok);
    line.a().setTimeouts(kAtOnce);
    EXPECT_EQ(readText(line.a(), 8), "");
}

class MemoryLineTimeouts : public ::testing::TestWithParam<TimeoutCase> {};

TEST_P(MemoryLineTimeouts, ReadEndsWhenTheRulesSay)
{
    const TimeoutCase& c = GetParam();
    MemoryLine line;
    line.a().setTimeouts(c.timeouts);
    line.b().writeAll(c.present);
    const Clock::time_point start = Clock::now();
    SerialResult r;
    const std::string got = readText(line.a(), c.request, &r);
    const long long ms = msSince(start);
    EXPECT_EQ(r, SerialResult::Ok);
    EXPECT_EQ(got.size(), c.expectGot);
    EXPECT_GE(ms, c.minMs);
    EXPECT_LE(ms, c.maxMs);
}

INSTANTIATE_TEST_SUITE_P(Modes, MemoryLineTimeouts, ::testing::ValuesIn(timeoutCases()),
    [](const ::testing::TestParamInfo<TimeoutCase>& i) { return std::string(i.param.name); });

TEST(MemoryLine, FirstByteModeReturnsWhenTheFirstByteComes)
{
    MemoryLine line;
    expectFirstByteModeReturnsWhenTheFirstByteComes(line.a(), [&] { line.b().writeAll("z"); });
}

TEST(MemoryLine, AllZeroTimeoutsWaitForEveryByte)
{
    MemoryLine line;
    BackgroundRead reader(line.a(), 4);
    ASSERT_TRUE(reader.blocked());
    const long slept = reader.sleeps();
    line.b().writeAll("ab");
    // The reader has taken the first two and waits again for the rest.
    ASSERT_TRUE(reader.blocked(slept));
    EXPECT_FALSE(reader.endsWithin(milliseconds(0)));
    line.b().writeAll("cd");
    ASSERT_TRUE(reader.endsWithin(std::chrono::seconds(2)));
    const auto [r, got] = reader.result();
    EXPECT_EQ(r, SerialResult::Ok);
    EXPECT_EQ(got, "abcd");
}

TEST(MemoryLine, PacedBytesDoNotTripTheIntervalTimer)
{
    // 8.3 ms between bytes at 1200 baud against a 30 ms interval: all five
    // arrive in one read although they trickle in.
    MemoryLine line({.pacing = true});
    line.b().configure({1200});
    line.a().setTimeouts({30, 0, 2000, 0, 0});
    line.b().writeAll("12345");
    EXPECT_EQ(readText(line.a(), 5), "12345");
}

TEST(MemoryLine, PeerCloseWakesABlockedReader)
{
    MemoryLine line;   // all-zero time-outs: would wait for ever
    BackgroundRead reader(line.a(), 10);
    ASSERT_TRUE(reader.blocked());
    line.b().writeAll("par");
    line.b().close();
    ASSERT_TRUE(reader.endsWithin(std::chrono::seconds(2)));
    const auto [r, got] = reader.result();
    EXPECT_EQ(r, SerialResult::Ok);
    EXPECT_EQ(got, "par");

    SerialResult again;
    readText(line.a(), 10, &again);
    EXPECT_EQ(again, SerialResult::Closed);
}

TEST(MemoryLine, OwnCloseEndsAReadOnAnotherThread)
{
    MemoryLine line;
    BackgroundRead reader(line.a(), 10);
    ASSERT_TRUE(reader.blocked());
    line.a().close();
    ASSERT_TRUE(reader.endsWithin(std::chrono::seconds(2)));
    EXPECT_EQ(reader.result().first, SerialResult::NotOpen);
}

}  // namespace
}  // namespace platform
