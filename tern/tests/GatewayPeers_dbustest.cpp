// The Modbus/TCP gateway with independent masters: mbpoll and pymodbus read
// and write through "tern --gateway" while a bus client scans the same line
// through the connection "XYZ", against the simulator on a paced
// pseudo-terminal. Then the ways a TCP client can misbehave: bad headers,
// a flood of them, a client gone with requests queued, too many clients,
// strangers, silence; and the safe settings: loopback, read-only.
#include <tern/client/BusMonitorClient.h>
#include <tern/client/ModBusLinkClient.h>
#include <tern/tests/ServerBusTesting.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <regex>

namespace tern {
namespace {

using namespace tern::testkit;
using Bytes = std::vector<uint8_t>;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TernBusEnvironment);

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

// A Modbus/TCP client on a plain socket, from a chosen loopback address.
class RawClient {
public:
    RawClient(uint16_t port, const char* from = "127.0.0.1")
    {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from, &local.sin_addr);
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        inet_pton(AF_INET, "127.0.0.1", &peer.sin_addr);
        connected_ = fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
                     connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0;
    }
    ~RawClient()
    {
        if (fd_ >= 0) close(fd_);
    }
    bool connected() const { return connected_; }
    bool send(const Bytes& b) { return ::send(fd_, b.data(), b.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(b.size()); }
    // Exactly n bytes, or fewer when the gateway closed or the time ran out.
    Bytes receive(size_t n, int ms = 3000)
    {
        Bytes out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < n) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            uint8_t buffer[512];
            const ssize_t got = recv(fd_, buffer, std::min(sizeof buffer, n - out.size()), 0);
            if (got <= 0) {
                closedByPeer_ = true;
                break;
            }
            out.insert(out.end(), buffer, buffer + got);
        }
        return out;
    }
    // Whether the gateway has closed the connection (within the time).
    bool closedByGateway(int ms = 3000)
    {
        receive(1, ms);
        return closedByPeer_;
    }
    // Leaves as a killed process does: at once, with a reset.
    void reset()
    {
        linger l{1, 0};
        setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    bool closedByPeer_ = false;
};

Bytes mbap(uint16_t transaction, uint8_t unit, const Bytes& pdu, uint16_t protocol = 0)
{
    const size_t l = pdu.size() + 1;
    Bytes b{static_cast<uint8_t>(transaction >> 8), static_cast<uint8_t>(transaction), static_cast<uint8_t>(protocol >> 8),
            static_cast<uint8_t>(protocol), static_cast<uint8_t>(l >> 8), static_cast<uint8_t>(l), unit};
    b.insert(b.end(), pdu.begin(), pdu.end());
    return b;
}

// "tern --gateway" on COMn; the port it listens on once it serves.
class Gateway {
public:
    explicit Gateway(std::vector<std::string> options)
    {
        std::vector<std::string> args{ternProgram(), "--gateway", "127.0.0.1:0"};
        args.insert(args.end(), options.begin(), options.end());
        process_ = std::make_unique<ChildProcess>(args);
        std::smatch m;
        const std::regex listen("LISTEN 127\\.0\\.0\\.1:([0-9]+)");
        eventually([&] {
            const std::string out = process_->output();
            if (!std::regex_search(out, m, listen)) return false;
            port_ = static_cast<uint16_t>(std::stoi(m[1]));
            return true;
        }, 8s);
    }
    uint16_t port() const { return port_; }
    ChildProcess& process() { return *process_; }
    // Stopped as systemd stops it; its last words.
    std::string stop()
    {
        process_->kill(SIGTERM);
        EXPECT_TRUE(exitedWith(process_->wait(8s), 0)) << process_->output();
        return process_->finalOutput();
    }

private:
    std::unique_ptr<ChildProcess> process_;
    uint16_t port_ = 0;
};

// Run as a child: a bus client scanning unit 2 through "XYZ" as Merlin does,
// one register per call, counting replies that are not its register's value.
TEST(GatewayScanWorker, Run)
{
    if (environment("TERN_TEST_ROLE") != "scan") GTEST_SKIP() << "runs as a child of the gateway test";
    ModBusLinkClient link;
    ASSERT_EQ(link.CreateInstance(), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(link.OpenConnection("XYZ", 1, &ok), S_OK);
    ASSERT_EQ(link.put_ComPort(1), S_OK);
    ASSERT_EQ(link.put_BaudRate(19200), S_OK);
    ASSERT_EQ(link.Connect(&ok), S_OK);
    int mismatches = 0, calls = 0;
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < end) {
        const int reg = 700 + calls % 50;
        int32_t ret = -1;
        COleVariant values;
        const HRESULT hr = link.ReadOutputRegisters(2, reg, 1, &values, COleVariant::Missing(), COleVariant::Missing(), &ret);
        const COleSafeArray* a = values.array();
        if (hr != S_OK || ret != 0 || !a || a->size() != 1 || a->integerAt(0) != 2000 + reg) ++mismatches;
        ++calls;
    }
    std::printf("scanned %d mismatches %d\n", calls, mismatches);
    EXPECT_EQ(mismatches, 0);
}

sim::ModbusRunnerOptions paced19200()
{
    sim::ModbusRunnerOptions o;
    o.paceBaud = 19200;
    return o;
}

TEST(TernGateway, MbpollAndPymodbusWorkThroughTheGatewayWhileABusClientScansTheSameLine)
{
    PtySlave slave(1, paced19200());
    ASSERT_TRUE(slave.ok()) << slave.error();
    Gateway gateway({"--line", "COM1", "--baud", "19200", "--timeout", "200"});
    ASSERT_NE(gateway.port(), 0) << gateway.process().output();
    EXPECT_NE(gateway.process().output().find(" BUS"), std::string::npos) << "the gateway does not serve the bus";

    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    ChildProcess scan({self, "--gtest_filter=GatewayScanWorker.Run"}, {{"TERN_TEST_ROLE", "scan"}});
    const std::string port = std::to_string(gateway.port());
    ChildProcess python({"/usr/bin/python3", testsDir() + "/gateway_pymodbus.py", port, "300", "25"});
    ChildProcess write({"/usr/bin/mbpoll", "-m", "tcp", "-p", port, "-a", "1", "-0", "-r", "200", "-1", "127.0.0.1",
                        "4321", "17"});
    EXPECT_TRUE(exitedWith(write.wait(8s), 0)) << write.finalOutput();
    ChildProcess read({"/usr/bin/mbpoll", "-m", "tcp", "-p", port, "-a", "1", "-0", "-r", "200", "-c", "3", "-1",
                       "127.0.0.1"});
    EXPECT_TRUE(exitedWith(read.wait(8s), 0)) << read.finalOutput();
    const std::string polled = read.finalOutput();
    EXPECT_NE(polled.find("[200]: \t4321"), std::string::npos) << polled;
    EXPECT_NE(polled.find("[201]: \t17"), std::string::npos) << polled;
    EXPECT_NE(polled.find("[202]: \t1202"), std::string::npos) << polled;

    EXPECT_TRUE(exitedWith(python.wait(9s), 0)) << python.finalOutput();
    EXPECT_NE(python.finalOutput().find("done 25 mismatches 0"), std::string::npos) << python.finalOutput();
    EXPECT_NE(python.finalOutput().find("silent 11 refused 3"), std::string::npos) << python.finalOutput();
    EXPECT_TRUE(exitedWith(scan.wait(9s), 0)) << scan.finalOutput();
    EXPECT_NE(scan.finalOutput().find("mismatches 0"), std::string::npos) << scan.finalOutput();
    EXPECT_EQ(slave.holding(200), 4321);
    EXPECT_EQ(slave.holding(324), 0x5A00 + 24);
    EXPECT_NE(gateway.stop().find("served"), std::string::npos);
}

TEST(TernGateway, PipelinedRepliesKeepTheirTransactionIdsAndABroadcastGetsNoReply)
{
    PtySlave slave(1, paced19200());
    ASSERT_TRUE(slave.ok());
    Gateway gateway({"--line", "COM1", "--baud", "19200", "--timeout", "150", "--no-bus"});
    RawClient client(gateway.port());
    ASSERT_TRUE(client.connected());
    ASSERT_TRUE(client.send(mbap(0, 0, {6, 0, 50, 0x0B, 0xAD})));  // broadcast
    Bytes burst;
    for (uint16_t t = 0; t < 6; ++t) {
        const Bytes one = mbap(static_cast<uint16_t>(0xA000 + t), 1, {3, 0, static_cast<uint8_t>(40 + t), 0, 1});
        burst.insert(burst.end(), one.begin(), one.end());
    }
    ASSERT_TRUE(client.send(burst));
    for (uint16_t t = 0; t < 6; ++t) {
        const uint16_t value = static_cast<uint16_t>(1040 + t);
        EXPECT_EQ(client.receive(11), (Bytes{0xA0, static_cast<uint8_t>(t), 0, 0, 0, 5, 1, 3, 2,
                                            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)}));
    }
    EXPECT_EQ(slave.model().value(sim::ModbusTable::HoldingRegisters, 2, 50), 0x0BAD);
    // A silent station and a line that cannot be used have their own exceptions.
    ASSERT_TRUE(client.send(mbap(0x0101, 5, {3, 0, 0, 0, 1})));
    EXPECT_EQ(client.receive(9), (Bytes{1, 1, 0, 0, 0, 3, 5, 0x83, 0x0B}));
    gateway.stop();

    ASSERT_TRUE(platform::setComPortDevice(7, "/nonexistent/tty"));
    Gateway noLine({"--line", "COM7", "--no-bus"});
    RawClient lost(noLine.port());
    ASSERT_TRUE(lost.send(mbap(9, 1, {4, 0, 0, 0, 1})));
    EXPECT_EQ(lost.receive(9), (Bytes{0, 9, 0, 0, 0, 3, 1, 0x84, 0x0A}));
}

TEST(TernGateway, BadHeadersCloseOnlyTheirOwnConnectionAndAClientGoneLeavesTheLineAlone)
{
    PtySlave slave(1, paced19200());
    ASSERT_TRUE(slave.ok());
    Gateway gateway({"--line", "COM1", "--baud", "19200", "--timeout", "300", "--no-bus", "--max-clients", "64"});
    RawClient good(gateway.port());
    ASSERT_TRUE(good.send(mbap(1, 1, {3, 0, 1, 0, 1})));
    ASSERT_EQ(good.receive(11).size(), 11u);

    const Bytes floods[] = {mbap(1, 1, {3, 0, 0, 0, 1}, 0x0001), Bytes{0, 1, 0, 0, 0xFF, 0xFF, 1},
                            mbap(1, 1, {3, 0, 0, 0, 1, 0, 0}), Bytes(64, 0xEE)};
    for (int round = 0; round < 10; ++round) {
        std::vector<std::unique_ptr<RawClient>> bad;
        for (const Bytes& f : floods) {
            bad.push_back(std::make_unique<RawClient>(gateway.port()));
            ASSERT_TRUE(bad.back()->send(f));
        }
        for (auto& b : bad) EXPECT_TRUE(b->closedByGateway()) << "round " << round;
    }
    // Eight requests for a silent station, then the client vanishes: the six
    // or so still waiting must not hold the line for their time-outs.
    {
        RawClient victim(gateway.port());
        Bytes many;
        for (uint16_t t = 0; t < 8; ++t) {
            const Bytes one = mbap(t, 9, {3, 0, 0, 0, 1});
            many.insert(many.end(), one.begin(), one.end());
        }
        ASSERT_TRUE(victim.send(many));
        victim.reset();
    }
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(good.send(mbap(2, 1, {3, 0, 2, 0, 1})));
    EXPECT_EQ(good.receive(11), (Bytes{0, 2, 0, 0, 0, 5, 1, 3, 2, 0x03, 0xEA}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    const std::string last = gateway.stop();
    EXPECT_NE(last.find("errors 40"), std::string::npos) << last;
}

TEST(TernGateway, ReadOnlyAllowListClientLimitAndIdleTimeOut)
{
    PtySlave slave(2);
    ASSERT_TRUE(slave.ok());
    Gateway gateway({"--line", "COM2", "--no-bus", "--read-only", "--allow", "127.0.0.2", "--allow", "127.0.9.0/24",
                     "--max-clients", "2", "--idle-timeout", "1"});
    RawClient stranger(gateway.port(), "127.0.0.1");
    EXPECT_TRUE(stranger.closedByGateway());

    RawClient first(gateway.port(), "127.0.0.2");
    RawClient second(gateway.port(), "127.0.9.7");
    ASSERT_TRUE(first.send(mbap(3, 1, {6, 0, 10, 0, 1})));
    EXPECT_EQ(first.receive(9), (Bytes{0, 3, 0, 0, 0, 3, 1, 0x86, 0x01}));
    ASSERT_TRUE(first.send(mbap(4, 1, {16, 0, 10, 0, 1, 2, 0, 1})));
    EXPECT_EQ(first.receive(9), (Bytes{0, 4, 0, 0, 0, 3, 1, 0x90, 0x01}));
    EXPECT_EQ(slave.holding(10), 1010);
    ASSERT_TRUE(second.send(mbap(5, 1, {3, 0, 10, 0, 1})));
    EXPECT_EQ(second.receive(11), (Bytes{0, 5, 0, 0, 0, 5, 1, 3, 2, 0x03, 0xF2}));

    RawClient third(gateway.port(), "127.0.0.2");
    EXPECT_TRUE(third.closedByGateway(1000));
    // Both go quiet: the idle time-out closes them.
    EXPECT_TRUE(first.closedByGateway(4000));
    EXPECT_TRUE(second.closedByGateway(4000));
    RawClient later(gateway.port(), "127.0.0.2");
    ASSERT_TRUE(later.send(mbap(6, 1, {3, 0, 10, 0, 1})));
    EXPECT_EQ(later.receive(11).size(), 11u);
}

QDBusMessage call(const std::string& path, const char* interface, const char* member, const QVariantList& args = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(QLatin1String(identity::kBusName), QString::fromStdString(path),
                                                    QLatin1String(interface), QLatin1String(member));
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, 5000);
}

TEST(TernGateway, AnObjectsGatewayServesItsLineAndItsMonitorRecordsTheTraffic)
{
    PtySlave slave(2);
    ASSERT_TRUE(slave.ok());
    ModBusLinkClient link;
    ASSERT_EQ(link.CreateInstance(), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(link.OpenConnection("MONITORED", 1, &ok), S_OK);
    ASSERT_EQ(link.put_ComPort(2), S_OK);
    ASSERT_EQ(link.Connect(&ok), S_OK);
    std::string none, path, again;
    ASSERT_EQ(link.get_TcpServer(&none), S_OK);
    EXPECT_TRUE(none.empty() || none == "/") << none;
    ASSERT_EQ(link.CreateTCPServer(&path), S_OK);
    ASSERT_EQ(link.get_TcpServer(&again), S_OK);
    ASSERT_EQ(path, again);

    const char* tcp = identity::kTcpServerInterface;
    QDBusMessage r = call(path, tcp, "Configure",
                          {QString("127.0.0.1"), QVariant::fromValue(ushort(0)), QStringList{}, true, 4, 2, 10000});
    ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
    r = call(path, tcp, "Start");
    ASSERT_TRUE(r.arguments().value(0).toBool()) << r.arguments().value(1).toString().toStdString();
    r = call(path, tcp, "Status");
    ASSERT_TRUE(r.arguments().value(0).toBool());
    const auto port = static_cast<uint16_t>(r.arguments().value(1).toUInt());

    RawClient client(port);
    ASSERT_TRUE(client.send(mbap(0x0042, 1, {3, 0, 10, 0, 1})));
    EXPECT_EQ(client.receive(11), (Bytes{0, 0x42, 0, 0, 0, 5, 1, 3, 2, 0x03, 0xF2}));
    ASSERT_TRUE(client.send(mbap(0x0043, 1, {6, 0, 10, 0, 1})));  // read-only
    EXPECT_EQ(client.receive(9), (Bytes{0, 0x43, 0, 0, 0, 3, 1, 0x86, 1}));
    r = call(path, tcp, "Status");
    EXPECT_EQ(r.arguments().value(3).toULongLong(), 2u);

    // The monitor of the line saw the one frame pair that reached it.
    r = call(link.objectPath().toStdString(), identity::kBusMonitorInterface, "FramesSince",
             {QVariant::fromValue(qulonglong(0))});
    ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
    EXPECT_EQ(r.arguments().value(0).toULongLong(), 2u);
    EXPECT_EQ(r.signature(), "ta(ttxxyybay)");
    platform::testing::TempDir dir;
    const QString file = QString::fromStdString(dir.path() + "/line.pcapng");
    r = call(link.objectPath().toStdString(), identity::kBusMonitorInterface, "SaveCapture", {file});
    EXPECT_TRUE(r.arguments().value(0).toBool()) << r.arguments().value(1).toString().toStdString();
    EXPECT_TRUE(std::filesystem::file_size(file.toStdString()) > 100);

    // The client programs use: it reads the same frames and captures.
    BusMonitorClient monitor("MONITORED");
    std::vector<MonitoredFrame> frames;
    std::string error;
    ASSERT_TRUE(monitor.framesSince(1, frames, error)) << error;
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].direction, 1);
    EXPECT_EQ(frames[0].outcome, 1);
    EXPECT_EQ(frames[0].bytes.size(), 7u);
    const std::string live = dir.path() + "/live.pcapng";
    ASSERT_TRUE(monitor.startCapture(live, error)) << error;
    ASSERT_TRUE(client.send(mbap(0x0044, 1, {3, 0, 11, 0, 1})));
    EXPECT_EQ(client.receive(11).size(), 11u);
    ASSERT_TRUE(monitor.stopCapture(error)) << error;
    EXPECT_GT(std::filesystem::file_size(live), 100u);
    EXPECT_FALSE(monitor.startCapture(dir.path() + "/missing/x.pcapng", error));
    EXPECT_NE(error.find("missing/x.pcapng"), std::string::npos) << error;

    call(path, tcp, "Stop");
    EXPECT_TRUE(client.closedByGateway());
    EXPECT_FALSE(call(path, tcp, "Status").arguments().value(0).toBool());
}

}  // namespace
}  // namespace tern
