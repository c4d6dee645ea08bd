// Lines behind a serial device server, against servers scripted in the test:
// addresses, raw and RFC 2217 data both ways (0xFF included), the line
// settings confirmed or refused by the server, a server that never answers,
// one that is not there and one that goes away during a read. Every failure
// leaves a problem text that names the server and what to do.
#include <platform/RemoteSerialPort.h>

#include <platform/ComPortTelnet.h>
#include <platform/MappedSerialPort.h>
#include <platform/testing/LoopbackServer.h>
#include <platform/testing/Ser2netServer.h>
#include <platform/tests/SerialTestSupport.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

using namespace telnet;

using ScriptedServer = testing::LoopbackServer;

// Reads from the socket until `count` bytes came or 2 s passed.
std::string receive(int fd, size_t count)
{
    std::string in;
    char buf[256];
    while (in.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) != 1) break;
        const ssize_t n = ::recv(fd, buf, std::min(sizeof buf, count - in.size()), 0);
        if (n <= 0) break;
        in.append(buf, size_t(n));
    }
    return in;
}

void sendText(int fd, const std::string& s) { ::send(fd, s.data(), s.size(), MSG_NOSIGNAL); }

std::string sub(uint8_t code, std::string value)
{
    return std::string{char(IAC), char(SB), char(COM_PORT), char(code)} + value + std::string{char(IAC), char(SE)};
}

// The server's answers to the four line settings (what it keeps).
std::string lineAnswers(uint32_t baud)
{
    return sub(101, {char(baud >> 24), char(baud >> 16), char(baud >> 8), char(baud)}) + sub(102, {8}) + sub(103, {1})
           + sub(104, {1});
}

// Waits for the client's greeting and settings, then answers with `baud`.
void confirmSettings(int fd, uint32_t baud)
{
    const size_t greeting = ComPortTelnet::greeting().size();
    SerialSettings s;
    s.baudRate = baud;
    receive(fd, greeting + ComPortTelnet::setLine(s).size());
    sendText(fd, lineAnswers(baud));
}

TEST(RemoteAddress, TakesTcpAndRfc2217AddressesOnly)
{
    auto a = parseRemoteAddress("rfc2217://cabinet-7.plant:4001");
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->rfc2217);
    EXPECT_EQ(a->host, "cabinet-7.plant");
    EXPECT_EQ(a->port, "4001");
    a = parseRemoteAddress("tcp://[::1]:23/");
    ASSERT_TRUE(a);
    EXPECT_FALSE(a->rfc2217);
    EXPECT_EQ(a->host, "::1");
    for (const char* bad : {"/dev/ttyUSB0", "tcp://host", "tcp://:40", "rfc2217://host:port", "udp://h:1"})
        EXPECT_FALSE(parseRemoteAddress(bad)) << bad;
}

TEST(RemoteSerialPort, RawLineCarriesBytesUnchangedUnderTheReadTimeouts)
{
    ScriptedServer server([](int fd) {
        const std::string in = receive(fd, 3);
        sendText(fd, in + std::string(1, char(0xFF)));
        receive(fd, 1);   // the client's close
    });
    RemoteSerialPort port;
    ASSERT_EQ(port.open(server.url("tcp")), SerialResult::Ok);
    ASSERT_EQ(port.setTimeouts({kMax, kMax, 2000, 0, 0}), SerialResult::Ok);
    ASSERT_EQ(port.writeAll(std::string("\x01\xFF\x03", 3)), SerialResult::Ok);
    std::string got;
    for (int i = 0; i < 10 && got.size() < 4; ++i) got += readText(port, 4 - got.size());
    EXPECT_EQ(got, std::string("\x01\xFF\x03\xFF", 4));
    // Nothing more: the total time-out ends the read on time.
    ASSERT_EQ(port.setTimeouts({0, 0, 100, 0, 0}), SerialResult::Ok);
    const auto t = std::chrono::steady_clock::now();
    EXPECT_EQ(readText(port, 1), "");
    EXPECT_GE(msSince(t), 90);
    bool cts = true;
    EXPECT_EQ(port.cts(cts), SerialResult::Unsupported);
    EXPECT_EQ(port.setRts(true), SerialResult::Unsupported);
    port.close();
}

TEST(RemoteSerialPort, Rfc2217LineSetsTheServerAndEscapesData)
{
    std::string seen;
    auto server = std::make_unique<ScriptedServer>([&seen](int fd) {
        confirmSettings(fd, 19200);
        sendText(fd, std::string("\x02\xFF\xFF\x03", 4));     // line data 02 FF 03
        seen = receive(fd, 4 + sub(SET_CONTROL, {CONTROL_RTS_ON}).size());
    });
    RemoteSerialPort port;
    SerialSettings s;
    s.baudRate = 19200;
    ASSERT_EQ(port.configure(s), SerialResult::Ok);
    ASSERT_EQ(port.open(server->url("rfc2217")), SerialResult::Ok) << port.problem();
    ASSERT_EQ(port.setTimeouts({kMax, kMax, 2000, 0, 0}), SerialResult::Ok);
    std::string got;
    for (int i = 0; i < 10 && got.size() < 3; ++i) got += readText(port, 3 - got.size());
    EXPECT_EQ(got, std::string("\x02\xFF\x03", 3));
    ASSERT_EQ(port.writeAll(std::string("\xFF\x01\x02", 3)), SerialResult::Ok);
    ASSERT_EQ(port.setRts(true), SerialResult::Ok);
    // The same settings again cost no round trip (the server would not answer).
    EXPECT_EQ(port.configure(s), SerialResult::Ok);
    server.reset();   // the server has seen all it waits for
    port.close();
    EXPECT_EQ(seen, std::string("\xFF\xFF\x01\x02", 4) + sub(SET_CONTROL, {CONTROL_RTS_ON}));
}

TEST(RemoteSerialPort, ServerRefusingTheRateFailsTheOpenWithBothRates)
{
    ScriptedServer server([](int fd) { confirmSettings(fd, 9600); });
    RemoteSerialPort port;
    SerialSettings s;
    s.baudRate = 38400;
    port.configure(s);
    EXPECT_EQ(port.open(server.url("rfc2217")), SerialResult::InvalidSetting);
    EXPECT_FALSE(port.isOpen());
    EXPECT_NE(port.problem().find("38400"), std::string::npos) << port.problem();
    EXPECT_NE(port.problem().find("9600"), std::string::npos) << port.problem();
}

TEST(RemoteSerialPort, ServersThatAreNotThereOrNeverAnswerAreNamed)
{
    // Nobody listens.
    RemoteSerialPort port(100, 500);
    const std::string nobody = "rfc2217://127.0.0.1:" + std::to_string(testing::unusedTcpPort());
    EXPECT_EQ(port.open(nobody), SerialResult::NoSuchPort);
    EXPECT_NE(port.problem().find("refuses the connection"), std::string::npos) << port.problem();

    // Takes the connection and stays silent: the open ends within its bound.
    testing::SilentTcpServer silent;
    ASSERT_TRUE(silent.ok());
    const auto t = std::chrono::steady_clock::now();
    EXPECT_EQ(port.open("rfc2217://127.0.0.1:" + std::to_string(silent.port())), SerialResult::Timeout);
    EXPECT_LT(msSince(t), 3000);
    EXPECT_NE(port.problem().find("does not answer"), std::string::npos) << port.problem();

    // The same through the port map's choice of line.
    MappedSerialPort mapped;
    EXPECT_EQ(mapped.open(nobody), SerialResult::NoSuchPort);
    EXPECT_NE(mapped.problem().find("127.0.0.1"), std::string::npos);
}

TEST(RemoteSerialPort, ServerGoingAwayEndsReadsAndWritesAsALostLine)
{
    ScriptedServer server([](int fd) {
        receive(fd, 1);
        sendText(fd, "x");
    });
    RemoteSerialPort port;
    ASSERT_EQ(port.open(server.url("tcp")), SerialResult::Ok);
    ASSERT_EQ(port.setTimeouts({0, 0, 2000, 0, 0}), SerialResult::Ok);
    ASSERT_EQ(port.writeAll("?"), SerialResult::Ok);
    // What came before the end is delivered first, then the end shows.
    SerialResult r = SerialResult::Ok;
    EXPECT_EQ(readText(port, 5, &r), "x");
    const auto t = std::chrono::steady_clock::now();
    EXPECT_EQ(readText(port, 5, &r), "");
    EXPECT_EQ(r, SerialResult::Closed);
    EXPECT_LT(msSince(t), 1000);
    SerialResult w = SerialResult::Ok;
    for (int i = 0; i < 20 && w == SerialResult::Ok; ++i) w = port.writeAll("more");
    EXPECT_EQ(w, SerialResult::Closed);
}

}  // namespace
}  // namespace platform
