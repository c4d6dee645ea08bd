// CRemoteModbus against the simulated TCP slave and against a scripted peer
// socket for exact header bytes and broken peers.
#include <tern/engine/CBlockingSocketException.h>
#include <tern/engine/CRemoteModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/testing/LoopbackServer.h>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace tern {
namespace {

using Bytes = std::vector<uint8_t>;

// A one-connection peer: accepts, reads one request, answers with prepared
// bytes, then closes (or keeps the connection open when asked).
class ScriptedPeer {
public:
    ScriptedPeer() {
        int chosen = 0;
        listen_ = platform::testing::loopbackSocket(&chosen, true);
        if (listen_ < 0) ADD_FAILURE() << "cannot listen";
        port = static_cast<uint16_t>(chosen);
    }
    ~ScriptedPeer() {
        if (thread_.joinable()) thread_.join();
        if (listen_ >= 0) ::close(listen_);
    }
    void answer(Bytes reply, bool hold = false) {
        thread_ = std::thread([this, reply, hold] {
            const int fd = ::accept(listen_, nullptr, nullptr);
            if (fd < 0) return;
            uint8_t buffer[1100];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n > 0) request.assign(buffer, buffer + n);
            if (!reply.empty() && ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) < 0) request.clear();
            // Holding: wait until the client gives up and closes.
            while (hold && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
            }
            ::close(fd);
        });
    }
    Bytes taken() {
        thread_.join();
        return request;
    }

    uint16_t port = 0;
    Bytes request;

private:
    int listen_ = -1;
    std::thread thread_;
};

const Bytes kReadTwoRequest{0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x00, 0x00, 0x02};

TEST(RemoteModbus, HeaderBytesAndResponseHandling) {
    struct Case {
        const char* name;
        Bytes reply;
        uint16_t result;
        std::vector<uint16_t> values;
    };
    const std::vector<Case> cases{
        {"good", {0, 0, 0, 0, 0, 7, 1, 3, 4, 0x12, 0x34, 0x56, 0x78}, 0, {0x1234, 0x5678}},
        {"otherTransactionIgnored", {9, 9, 0, 0, 0, 7, 1, 3, 4, 0, 1, 0, 2}, 0, {1, 2}},
        {"exception", {0, 0, 0, 0, 0, 3, 1, 0x83, 2}, 0x8002, {0, 0}},
        {"resultCodeThroughException", {0, 0, 0, 0, 0, 3, 1, 0x83, 0x81}, 1, {0, 0}},
        {"shortBody", {0, 0, 0, 0, 0, 5, 1, 3, 2, 0, 1}, 2, {0, 0}},
        {"otherUnit", {0, 0, 0, 0, 0, 7, 2, 3, 4, 0, 1, 0, 2}, 2, {0, 0}},
        {"oversizeLength", {0, 0, 0, 0, 0xFF, 0xFF, 1, 3, 4, 0, 1, 0, 2}, 1003, {0, 0}},
        {"highLengthByteCounts", {0, 0, 0, 0, 1, 7, 1, 3, 4, 0, 1, 0, 2}, 1003, {0, 0}},
        {"closedMidBody", {0, 0, 0, 0, 0, 7, 1, 3, 4, 0}, 1003, {0, 0}},
        {"closedMidHeader", {0, 0, 0}, 1003, {0, 0}},
        {"closedSilently", {}, 1003, {0, 0}},
    };
    for (const Case& c : cases) {
        ScriptedPeer peer;
        peer.answer(c.reply);
        CRemoteModbus m;
        ASSERT_TRUE(m.Connect("127.0.0.1", peer.port, 500)) << c.name;
        std::vector<uint16_t> v;
        EXPECT_EQ(m.ReadOutputRegisters(1, 0, 2, v), c.result) << c.name;
        EXPECT_EQ(v, c.values) << c.name;
        EXPECT_EQ(peer.taken(), kReadTwoRequest) << c.name;
    }
}

TEST(RemoteModbus, SilentPeerCostsTheTimeOutAndClosesTheConnection) {
    ScriptedPeer peer;
    peer.answer({}, true);
    CRemoteModbus m;
    ASSERT_TRUE(m.Connect("127.0.0.1", peer.port, 200));   // below a second: bounded in milliseconds
    std::vector<uint16_t> v;
    EXPECT_EQ(m.ReadOutputRegisters(1, 0, 2, v), 1001);
    EXPECT_FALSE(m.IsOpen());
    EXPECT_EQ(m.ReadOutputRegisters(1, 0, 2, v), 1004);
    peer.taken();
}

TEST(RemoteModbus, NotConnectedAndUnreachable) {
    CRemoteModbus m;
    std::vector<uint16_t> v;
    EXPECT_FALSE(m.IsOpen());
    EXPECT_EQ(m.ReadOutputRegisters(1, 0, 1, v), 1004);
    EXPECT_EQ(m.GetErrorText(1004), "Socket not connected");
    EXPECT_FALSE(m.Connect("nonexistent.invalid", 502, 500));
    EXPECT_FALSE(m.IsOpen());
    EXPECT_EQ(m.GetHost(), "nonexistent.invalid");
    // A port nobody listens on: taken from a listener closed again.
    uint16_t freePort = 0;
    {
        ScriptedPeer gone;
        freePort = gone.port;
    }
    EXPECT_FALSE(m.Connect("127.0.0.1", freePort, 500));
    EXPECT_FALSE(m.IsOpen());
    EXPECT_TRUE(m.Disconnect());
}

TEST(RemoteModbus, OversizeRequestsStayInTheBuffer) {
    ScriptedPeer peer;
    peer.answer({}, true);
    CRemoteModbus m;
    ASSERT_TRUE(m.Connect("127.0.0.1", peer.port, 500));
    Bytes request(1019, 0x01);
    Bytes response;
    EXPECT_EQ(m.Exchange(request, request.size(), response, 6), 1000);
    EXPECT_EQ(m.Exchange(request, 6, response, 1019), 1000);
    EXPECT_TRUE(m.IsOpen());
    EXPECT_TRUE(m.Disconnect());
    peer.taken();
}

TEST(RemoteModbus, ErrorTextsPutSocketCodesInFrontOfTheEngineTable) {
    CRemoteModbus m;
    EXPECT_EQ(m.GetErrorText(1000), "Buffer Overflow");
    EXPECT_EQ(m.GetErrorText(1001), "Socket Error");
    EXPECT_EQ(m.GetErrorText(1002), "Write Socket Error");
    EXPECT_EQ(m.GetErrorText(1003), "Read Socket Error");
    EXPECT_EQ(m.GetErrorText(1), "Time Out Error");
    EXPECT_EQ(m.GetErrorText(0x8003), "Modbus device return an exception code 3");
    EXPECT_EQ(m.GetErrorText(1005), "");
    EXPECT_STREQ(m.GetRuntimeClassName(), "CRemoteModbus");
}

TEST(RemoteModbus, SocketExceptionMessages) {
    const CBlockingSocketException timeout("Receive timeout", 0);
    const CBlockingSocketException refused("Connect", 111);
    EXPECT_EQ(timeout.errorMessage(), "Receive timeout error");
    EXPECT_EQ(refused.errorMessage(), "Connect error #111");
    EXPECT_STREQ(refused.GetRuntimeClassName(), "CBlockingSocketException");
}

class RemoteAgainstSimulator : public testing::Test {
protected:
    void SetUp() override {
        model_.fill();
        std::string error;
        ASSERT_TRUE(runner_.startTcp(0, error)) << error;
        ASSERT_TRUE(master_.Connect("localhost", runner_.tcpPort(), 300));
    }
    sim::ModbusMapModel model_{{1, 2}, 1000};
    sim::ModbusSlaveRunner runner_{model_};
    CRemoteModbus master_;
};

TEST_F(RemoteAgainstSimulator, ReadsWritesAndExceptions) {
    std::vector<uint16_t> v;
    ASSERT_EQ(master_.ReadInputRegisters(2, 4, 2, v), 0);
    EXPECT_EQ(v, (std::vector<uint16_t>{2504, 2505}));
    const uint32_t values[2] = {0xCAFEF00Du, 7};
    ASSERT_EQ(master_.PresetRegisters32(1, 50, 2, false, values), 0);
    std::vector<uint32_t> back;
    ASSERT_EQ(master_.ReadRegisters32(CModbus::RegisterTable::Holding, 1, 50, 2, false, back), 0);
    EXPECT_EQ(back, (std::vector<uint32_t>{0xCAFEF00Du, 7}));
    EXPECT_EQ(model_.value(sim::ModbusTable::HoldingRegisters, 1, 50), 0xF00D);
    EXPECT_EQ(master_.ReadOutputRegisters(1, 999, 5, v), 0x8002);
    EXPECT_EQ(master_.ReadOutputRegisters(7, 0, 1, v), 0x800B);   // the gateway has no unit 7
    Bytes raw{0x01, 0x07};
    Bytes response;
    EXPECT_EQ(master_.Exchange(raw, raw.size(), response, 0), 0x8001);
}

TEST_F(RemoteAgainstSimulator, FaultsAndReconnect) {
    std::vector<uint16_t> v;
    runner_.faults().add(*sim::parseFault("wrongaddr:1"));
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 2);
    runner_.faults().add(*sim::parseFault("noreply:1"));
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 1001);
    EXPECT_FALSE(master_.IsOpen());
    ASSERT_TRUE(master_.Connect());   // the stored host, port and time-out
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 0);
    EXPECT_EQ(v, std::vector<uint16_t>{1000});
}

TEST_F(RemoteAgainstSimulator, TwoThreadsSharingTheConnectionNeverInterleaveFrames) {
    std::atomic<int> failures{0};
    auto work = [&](uint8_t unit) {
        for (int i = 0; i < 200; ++i) {
            std::vector<uint16_t> v;
            const auto start = static_cast<uint16_t>(i);
            if (master_.ReadOutputRegisters(unit, start, 3, v) != 0 || v[2] != start + 2 + 1000u * unit) ++failures;
        }
    };
    std::thread one(work, 1);
    std::thread two(work, 2);
    one.join();
    two.join();
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace tern
