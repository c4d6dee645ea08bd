// End to end over a real pseudo-terminal: the port under test opens the
// slave, the test plays the far end on the master.
#include <platform/PosixSerialPort.h>

#include <platform/testing/PtyPair.h>
#include <platform/tests/SerialTestSupport.h>

#include <gtest/gtest.h>

// termios2 to read back exact rates; <termios.h> must stay out of this file.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using testing::PtyPair;

const CommTimeouts kAtOnce{kMax, 0, 0, 0, 0};
const CommTimeouts kFirstByte500{kMax, kMax, 500, 0, 0};

// Reads until `count` bytes came or a read brought nothing.
std::string readAll(SerialPort& port, size_t count)
{
    std::string all;
    while (all.size() < count) {
        const std::string part = readText(port, count - all.size());
        if (part.empty())
            break;
        all += part;
    }
    return all;
}

std::string allByteValues()
{
    std::string s;
    for (int i = 0; i < 256; ++i)
        s.push_back(static_cast<char>(i));
    return s;
}

// Waits (briefly) until the pty has moved `count` bytes to the port's side.
bool waitForInput(SerialPort& port, size_t count)
{
    for (int i = 0; i < 1000; ++i) {
        size_t n = 0;
        if (port.inputQueue(n) != SerialResult::Ok)
            return false;
        if (n >= count)
            return true;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return false;
}

class PosixPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok()) << pty.error();
        ASSERT_EQ(port.open(pty.slavePath()), SerialResult::Ok);
    }
    PtyPair pty;
    PosixSerialPort port;
};

// The line settings as the tty holds them, read with termios2.
struct termios2 lineSettings(int fd)
{
    struct termios2 t {};
    EXPECT_EQ(::ioctl(fd, TCGETS2, &t), 0);
    return t;
}

struct SettingsCase {
    const char* name;
    SerialSettings settings;
    tcflag_t cflags;        // parity and stop bits expected
};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.name; }

class PosixPortSettings : public PosixPort, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(PosixPortSettings, CarriesBytesBothWaysAndSetsTheLine)
{
    const SettingsCase& c = GetParam();
    ASSERT_EQ(port.configure(c.settings), SerialResult::Ok);
    port.setTimeouts(kFirstByte500);

    // A pty forces 8 bits without parity (TermiosSettings_test covers
    // those flags); the rest it keeps as set.
    const struct termios2 t = lineSettings(pty.slave());
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CSTOPB), c.cflags & (PARODD | CMSPAR | CSTOPB));
    EXPECT_EQ(t.c_ospeed, c.settings.baudRate);
    EXPECT_EQ(port.settings().dataBits, c.settings.dataBits);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);

    // Seven-bit text, so that the same bytes fit every byte size here.
    const std::string out = "request 0123\r\n";
    ASSERT_EQ(port.writeAll(out), SerialResult::Ok);
    EXPECT_EQ(pty.readMaster(out.size(), 1000), out);

    const std::string in = "reply \x02U00AC\x03";
    ASSERT_TRUE(pty.writeMaster(in));
    EXPECT_EQ(readAll(port, in.size()), in);
}

INSTANTIATE_TEST_SUITE_P(Lines, PosixPortSettings, ::testing::Values(
    SettingsCase{"B1200_8N1", {1200, 8, Parity::None, StopBits::One}, 0},
    SettingsCase{"B14400_8E1", {14400, 8, Parity::Even, StopBits::One}, PARENB},
    SettingsCase{"B9600_7O2", {9600, 7, Parity::Odd, StopBits::Two}, PARENB | PARODD | CSTOPB},
    SettingsCase{"B115200_8N1", {115200, 8, Parity::None, StopBits::One}, 0},
    SettingsCase{"B19200_8M1", {19200, 8, Parity::Mark, StopBits::One}, PARENB | CMSPAR | PARODD},
    SettingsCase{"B19200_8S1", {19200, 8, Parity::Space, StopBits::One}, PARENB | CMSPAR},
    SettingsCase{"B31250_5N1", {31250, 5, Parity::None, StopBits::One}, 0}),
    [](const ::testing::TestParamInfo<SettingsCase>& i) { return std::string(i.param.name); });

TEST_F(PosixPort, EveryByteValueRoundTripsWithParityChecked)
{
    // 0xFF is doubled by the tty while breaks are marked in-band; the port
    // must undo that exactly, also for FF 00 00, which looks like a break.
    ASSERT_EQ(port.configure({9600, 8, Parity::Even}), SerialResult::Ok);
    port.setTimeouts(kFirstByte500);
    const std::string all = allByteValues() + std::string("\xFF\x00\x00\xFF\xFF\xFF\x00\x41", 8);

    ASSERT_TRUE(pty.writeMaster(all));
    EXPECT_EQ(readAll(port, all.size()), all);
    EXPECT_EQ(port.takeEvents(), 0u);

    ASSERT_EQ(port.writeAll(all), SerialResult::Ok);
    EXPECT_EQ(pty.readMaster(all.size(), 1000), all);
}

TEST_F(PosixPort, InputQueueCountsDataNotMarks)
{
    ASSERT_TRUE(pty.writeMaster("\xFF" "A\xFF"));
    EXPECT_TRUE(waitForInput(port, 3));
    size_t n = 0;
    ASSERT_EQ(port.inputQueue(n), SerialResult::Ok);
    EXPECT_EQ(n, 3u);   // the driver holds five
    port.setTimeouts(kAtOnce);
    EXPECT_EQ(readText(port, 8), "\xFF" "A\xFF");
}

TEST_F(PosixPort, PurgeInputDropsWhatArrived)
{
    ASSERT_TRUE(pty.writeMaster("stale"));
    ASSERT_TRUE(waitForInput(port, 5));
    ASSERT_EQ(port.purge(true, true), SerialResult::Ok);
    ASSERT_TRUE(pty.writeMaster("fresh"));
    port.setTimeouts(kFirstByte500);
    EXPECT_EQ(readAll(port, 5), "fresh");
}

TEST_F(PosixPort, ModemCallsArePlainlyUnsupportedOnAPty)
{
    bool cts = true;
    EXPECT_EQ(port.setRts(true), SerialResult::Unsupported);
    EXPECT_EQ(port.setDtr(false), SerialResult::Unsupported);
    EXPECT_EQ(port.cts(cts), SerialResult::Unsupported);
    EXPECT_EQ(port.sendBreak(5), SerialResult::Unsupported);
    // What a pty does have still works.
    size_t queued = 1;
    EXPECT_EQ(port.outputQueue(queued), SerialResult::Ok);
    EXPECT_EQ(queued, 0u);
    EXPECT_EQ(port.drain(), SerialResult::Ok);
    EXPECT_TRUE(port.isOpen());
}

TEST_F(PosixPort, RefusedSettingsLeaveTheLineAsItWas)
{
    ASSERT_EQ(port.configure({19200, 7, Parity::Even}), SerialResult::Ok);
    const struct termios2 before = lineSettings(pty.slave());
    SerialSettings half{19200, 8};
    half.stopBits = StopBits::OneAndHalf;
    SerialSettings dsr{19200, 8};
    dsr.dtrDsrFlow = true;
    for (const SerialSettings& bad : {half, dsr, SerialSettings{0}, SerialSettings{9600, 9}}) {
        EXPECT_EQ(port.configure(bad), SerialResult::InvalidSetting);
        const struct termios2 after = lineSettings(pty.slave());
        EXPECT_EQ(after.c_cflag, before.c_cflag);
        EXPECT_EQ(after.c_ospeed, before.c_ospeed);
    }
    EXPECT_EQ(port.settings().dataBits, 7);
}

TEST_F(PosixPort, SettingsGivenBeforeOpenApplyAtOpen)
{
    PosixSerialPort later;
    ASSERT_EQ(later.configure({14400, 7, Parity::Odd}), SerialResult::Ok);
    port.close();
    ASSERT_EQ(later.open(pty.slavePath()), SerialResult::Ok);
    const struct termios2 t = lineSettings(pty.slave());
    EXPECT_EQ(t.c_ospeed, 14400u);
    EXPECT_NE(t.c_cflag & PARODD, 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
}

TEST_F(PosixPort, FlowControlSettingsReachTheLine)
{
    SerialSettings s{9600};
    s.rtsCtsFlow = true;
    s.xonXoff = true;
    ASSERT_EQ(port.configure(s), SerialResult::Ok);
    const struct termios2 t = lineSettings(pty.slave());
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
}

TEST(PosixSerialPort, OpenFailuresNameTheirCause)
{
    PosixSerialPort port;
    EXPECT_EQ(port.open("/dev/ttyNoSuchPort9"), SerialResult::NoSuchPort);
    EXPECT_EQ(port.open("/dev/null"), SerialResult::NoSuchPort);   // not a serial line
    EXPECT_FALSE(port.isOpen());
    uint8_t b = 0;
    size_t n = 0;
    EXPECT_EQ(port.read(&b, 1, n), SerialResult::NotOpen);
    EXPECT_EQ(port.write(&b, 1, n), SerialResult::NotOpen);
    EXPECT_EQ(port.purge(true, true), SerialResult::NotOpen);
}

TEST_F(PosixPort, ASecondOpenerIsRefusedUntilTheFirstCloses)
{
    PosixSerialPort second;
    EXPECT_EQ(second.open(pty.slavePath()), SerialResult::AccessDenied);
    ASSERT_EQ(port.close(), SerialResult::Ok);
    EXPECT_EQ(second.open(pty.slavePath()), SerialResult::Ok);
}

class PosixPortTimeouts : public PosixPort, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(PosixPortTimeouts, ReadEndsWhenTheRulesSay)
{
    const TimeoutCase& c = GetParam();
    port.setTimeouts(c.timeouts);
    ASSERT_TRUE(pty.writeMaster(c.present));
    ASSERT_TRUE(waitForInput(port, c.present.size()));
    const Clock::time_point start = Clock::now();
    SerialResult r;
    const std::string got = readText(port, c.request, &r);
    const long long ms = msSince(start);
    EXPECT_EQ(r, SerialResult::Ok);
    EXPECT_EQ(got, c.present.substr(0, c.expectGot));
    EXPECT_GE(ms, c.minMs);
    EXPECT_LE(ms, c.maxMs);
}

INSTANTIATE_TEST_SUITE_P(Modes, PosixPortTimeouts, ::testing::ValuesIn(timeoutCases()),
    [](const ::testing::TestParamInfo<TimeoutCase>& i) { return std::string(i.param.name); });

TEST_F(PosixPort, IntervalTimerRestartsWithEveryByte)
{
    // The interval is wide against the 15 ms gaps so a loaded machine that
    // delays the writer does not end the read early.
    port.setTimeouts({150, 0, 3000, 0, 0});
    std::thread far([&] {
        for (const char* part : {"a", "b", "c"}) {
            pty.writeMaster(part);
            std::this_thread::sleep_for(milliseconds(15));
        }
    });
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(readText(port, 10), "abc");
    EXPECT_GE(msSince(start), 30 + 150);
    EXPECT_LT(msSince(start), 3000);
    far.join();
}

TEST_F(PosixPort, FirstByteModeReturnsWhenTheFirstByteComes)
{
    expectFirstByteModeReturnsWhenTheFirstByteComes(port, [this] { ASSERT_TRUE(pty.writeMaster("z")); });
}

TEST_F(PosixPort, PeerCloseEndsABlockedReadWithWhatCame)
{
    BackgroundRead reader(port, 10);   // all-zero time-outs
    ASSERT_TRUE(reader.blocked());
    const long slept = reader.sleeps();
    ASSERT_TRUE(pty.writeMaster("par"));
    // The reader has taken the bytes and sleeps again, waiting for the rest.
    ASSERT_TRUE(reader.blocked(slept));
    pty.closeMaster();
    ASSERT_TRUE(reader.endsWithin(std::chrono::seconds(2)));
    const auto [r, got] = reader.result();
    EXPECT_EQ(r, SerialResult::Ok);
    EXPECT_EQ(got, "par");

    // From now on the line is gone, at once and without spinning.
    const Clock::time_point start = Clock::now();
    SerialResult again;
    readText(port, 10, &again);
    EXPECT_EQ(again, SerialResult::Closed);
    EXPECT_EQ(port.writeAll("x"), SerialResult::Closed);
    EXPECT_LT(msSince(start), 500);
}

TEST_F(PosixPort, CloseEndsAReadOnAnotherThread)
{
    BackgroundRead reader(port, 10);
    ASSERT_TRUE(reader.blocked());
    ASSERT_EQ(port.close(), SerialResult::Ok);
    ASSERT_TRUE(reader.endsWithin(std::chrono::seconds(2)));
    EXPECT_EQ(reader.result().first, SerialResult::NotOpen);
    EXPECT_FALSE(port.isOpen());
}

TEST_F(PosixPort, WriteGivesUpAtItsTimeoutWhenNobodyReads)
{
    port.setTimeouts({0, 0, 0, 0, 50});
    const std::string lots(1 << 20, 'x');   // far more than a pty buffers
    size_t written = 0;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(port.write(reinterpret_cast<const uint8_t*>(lots.data()), lots.size(), written),
              SerialResult::Timeout);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, lots.size());
    EXPECT_GE(msSince(start), 50);
    EXPECT_LT(msSince(start), 1000);
}

}  // namespace
}  // namespace platform
