// CLocalModbus on an in-memory line: against the simulated slave for whole
// operations and faults, and against a scripted peer for exact bytes, bad
// input and the raw exchange.
#include "RtuFrames.h"

#include <tern/engine/CLocalModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/MemoryLine.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tern {
namespace {

using Bytes = std::vector<uint8_t>;
using platform::CommTimeouts;

// The slave end as a test writes it: takes one request (whatever arrives
// within a short wait), then answers with prepared bytes.
class ScriptedPeer {
public:
    explicit ScriptedPeer(platform::SerialPort& port) : port_(port) {
        port_.setTimeouts({CommTimeouts::kMaxDword, CommTimeouts::kMaxDword, 500, 0, 0});
    }
    ~ScriptedPeer() {
        if (thread_.joinable()) thread_.join();
    }
    void answer(Bytes reply, bool closeAfter = false) {
        thread_ = std::thread([this, reply, closeAfter] {
            uint8_t buffer[1024];
            size_t got = 0;
            port_.read(buffer, sizeof buffer, got);
            request.assign(buffer, buffer + got);
            size_t written = 0;
            if (!reply.empty()) port_.write(reply.data(), reply.size(), written);
            if (closeAfter) port_.close();
        });
    }
    void answer(const std::string& text) { answer(Bytes(text.begin(), text.end())); }
    Bytes taken() {
        thread_.join();
        return request;
    }

    Bytes request;

private:
    platform::SerialPort& port_;
    std::thread thread_;
};

Bytes dropLast(Bytes frame) {
    frame.pop_back();
    return frame;
}

class LocalModbusTest : public testing::Test {
protected:
    LocalModbusTest() : redirect_(dir_.path()), master_(line_.a()) {
        master_.SetTimeOut(150);
        master_.SetComPort(1);
    }

    void startSimulator(sim::ModbusFraming framing) {
        model_.fill();
        runner_ = std::make_unique<sim::ModbusSlaveRunner>(model_, sim::ModbusRunnerOptions{framing});
        std::string error;
        ASSERT_TRUE(runner_->startSerial(line_.b(), error)) << error;
        master_.SetTransmissionMode(framing == sim::ModbusFraming::Ascii ? CLocalModbus::kAscii : CLocalModbus::kRtu);
        ASSERT_TRUE(master_.Open());
    }

    platform::testing::TempDir dir_;
    platform::testing::RegistryRedirect redirect_;
    platform::MemoryLine line_;
    sim::ModbusMapModel model_{{1, 2}, 1000};
    std::unique_ptr<sim::ModbusSlaveRunner> runner_;
    CLocalModbus master_;
};

class BothFramings : public LocalModbusTest, public testing::WithParamInterface<sim::ModbusFraming> {};

TEST_P(BothFramings, EveryFunctionReachesTheSlaveTables) {
    startSimulator(GetParam());
    std::vector<uint16_t> registers;
    ASSERT_EQ(master_.ReadOutputRegisters(1, 10, 3, registers), 0);
    EXPECT_EQ(registers, (std::vector<uint16_t>{1010, 1011, 1012}));
    ASSERT_EQ(master_.ReadInputRegisters(2, 0, 2, registers), 0);
    EXPECT_EQ(registers, (std::vector<uint16_t>{2500, 2501}));

    ASSERT_EQ(master_.PresetSingleRegister(1, 5, 0xBEEF), 0);
    const uint16_t many[3] = {7, 8, 9};
    ASSERT_EQ(master_.PresetMultipleRegisters(2, 100, 3, many), 0);
    EXPECT_EQ(model_.value(sim::ModbusTable::HoldingRegisters, 1, 5), 0xBEEF);
    EXPECT_EQ(model_.value(sim::ModbusTable::HoldingRegisters, 2, 102), 9);

    const uint8_t coils[10] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 1};
    ASSERT_EQ(master_.ForceMultipleCoils(1, 20, 10, coils), 0);
    ASSERT_EQ(master_.ForceSingleCoil(1, 22, 1), 0);
    std::vector<uint8_t> bits;
    ASSERT_EQ(master_.ReadOutputStatus(1, 20, 10, bits), 0);
    EXPECT_EQ(bits, (std::vector<uint8_t>{1, 1, 1, 0, 0, 0, 0, 0, 0, 1}));
    ASSERT_EQ(master_.ReadInputStatus(1, 0, 4, bits), 0);
    EXPECT_EQ(bits, (std::vector<uint8_t>{1, 0, 1, 0}));

    ASSERT_EQ(master_.PresetRegister64(1, 200, true, 0x1122334455667788ull), 0);
    std::vector<uint64_t> wide;
    ASSERT_EQ(master_.ReadRegisters64(CModbus::RegisterTable::Holding, 1, 200, 1, true, wide), 0);
    EXPECT_EQ(wide, std::vector<uint64_t>{0x1122334455667788ull});
    EXPECT_EQ(model_.value(sim::ModbusTable::HoldingRegisters, 1, 200), 0x1122);
}

TEST_P(BothFramings, SlaveExceptionsAndFaultsBecomeResultCodes) {
    startSimulator(GetParam());
    std::vector<uint16_t> v;
    EXPECT_EQ(master_.ReadOutputRegisters(1, 999, 2, v), 0x8002);   // past the table
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 126, v), 0x8003);   // more than a frame holds
    Bytes unknownFunction{0x01, 0x2B, 0x0E, 0x01};
    Bytes response;
    EXPECT_EQ(master_.Exchange(unknownFunction, 4, response, 0), 0x8001);
    EXPECT_EQ(master_.ReadOutputRegisters(9, 0, 1, v), 1);          // nobody at address 9

    struct Case {
        const char* fault;
        uint16_t result;
    };
    for (const Case c : {Case{"noreply:1", 1}, Case{"badcrc:1", 3}, Case{"wrongaddr:1", 2}, Case{"noise:1", 3}}) {
        runner_->faults().add(*sim::parseFault(c.fault));
        EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 2, v), c.result) << c.fault;
        EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 2, v), 0) << "after " << c.fault;
    }
}

TEST_P(BothFramings, RetriesResendTheRequest) {
    startSimulator(GetParam());
    master_.SetRetries(3);
    runner_->faults().add(*sim::parseFault("wrongaddr"));
    const uint64_t before = runner_->requests();
    std::vector<uint16_t> v;
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 2);
    EXPECT_EQ(runner_->requests() - before, 3u);
    runner_->faults().clear();
    runner_->faults().add(*sim::parseFault("noreply:2"));
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 0);   // the third attempt gets through
}

INSTANTIATE_TEST_SUITE_P(Local, BothFramings, testing::Values(sim::ModbusFraming::Rtu, sim::ModbusFraming::Ascii),
                         [](const auto& info) { return info.param == sim::ModbusFraming::Rtu ? "Rtu" : "Ascii"; });

TEST_F(LocalModbusTest, RtuRequestBytesAndResponseChecks) {
    ASSERT_TRUE(master_.Open());
    struct Case {
        const char* name;
        Bytes reply;
        uint16_t result;
    };
    const std::vector<Case> cases{
        {"good", withCrc({0x01, 0x03, 0x02, 0x12, 0x34}), 0},
        {"exception", withCrc({0x01, 0x83, 0x02}), 0x8002},
        {"exceptionBadCrc", {0x01, 0x83, 0x02, 0x00, 0x00}, 3},
        {"oneByteShort", dropLast(withCrc({0x01, 0x03, 0x02, 0x12, 0x34})), 3},
        {"silence", {}, 1},
        {"garbage", {0xFF, 0x13, 0x00, 0x80, 0x81, 0x7E, 0x55}, 3},
        {"lone byte", {0x01}, 3},
    };
    for (const Case& c : cases) {
        ScriptedPeer peer(line_.b());
        peer.answer(c.reply);
        std::vector<uint16_t> v;
        EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), c.result) << c.name;
        EXPECT_EQ(peer.taken(), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A})) << c.name;
    }
}

TEST_F(LocalModbusTest, AsciiRequestTextAndDecoding) {
    master_.SetTransmissionMode(CLocalModbus::kAscii);
    ASSERT_TRUE(master_.Open());
    struct Case {
        std::string reply;
        uint16_t result;
        std::vector<uint16_t> values;
    };
    const std::vector<Case> cases{
        {":010304000A0000EE\r\n", 0, {0x000A, 0x0000}},
        {":010304000a0000ee\r\n", 3, {0, 0}},      // lowercase digits fail the LRC
        {":010304000A0000EF\r\n", 3, {0, 0}},
        {":018302\r\n", 3, {0, 0}},                // too short for its own LRC
        {":01830379\r\n", 0x8003, {0, 0}},
        {":0103\r\n", 3, {0, 0}},
        {":0103020001F9\r\n", 2, {0, 0}},          // one register where two were asked
        {"", 1, {0, 0}},
    };
    for (const Case& c : cases) {
        ScriptedPeer peer(line_.b());
        peer.answer(c.reply);
        std::vector<uint16_t> v;
        EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 2, v), c.result) << c.reply;
        EXPECT_EQ(v, c.values) << c.reply;
        const Bytes sent = peer.taken();
        EXPECT_EQ(std::string(sent.begin(), sent.end()), ":010300000002FA\r\n");
    }
}

TEST_F(LocalModbusTest, PeerClosingMidFrameIsAReadFailure) {
    ASSERT_TRUE(master_.Open());
    ScriptedPeer peer(line_.b());
    peer.answer({0x01, 0x03, 0x02}, true);
    std::vector<uint16_t> v;
    const uint16_t result = master_.ReadOutputRegisters(1, 0, 1, v);
    peer.taken();
    EXPECT_TRUE(result == 3 || result == 9) << result;
}

TEST_F(LocalModbusTest, OpenChecksThePortNumberAndRaisesTheSilentInterval) {
    EXPECT_FALSE(master_.Open(9));
    master_.SetComPort(0);
    EXPECT_FALSE(master_.Open());
    EXPECT_FALSE(master_.IsOpen());

    master_.SetSilentInterval(2);
    ASSERT_TRUE(master_.Open(3, 9600, 0));
    EXPECT_EQ(master_.GetComPort(), 3);
    EXPECT_EQ(master_.GetSilentInterval(), 5u);
    const CommTimeouts rtu = line_.a().timeouts();
    EXPECT_EQ(rtu.readInterval, 5u);
    EXPECT_EQ(rtu.readTotalMultiplier, 1u);
    EXPECT_EQ(rtu.readTotalConstant, 150u);
    EXPECT_EQ(line_.a().settings().baudRate, 9600u);

    master_.SetSilentInterval(0);
    master_.SetTransmissionMode(CLocalModbus::kAscii);
    ASSERT_TRUE(master_.Open(0, 19200, 2));
    EXPECT_EQ(master_.GetSilentInterval(), 0u);
    EXPECT_EQ(master_.GetParity(), 2);
    EXPECT_EQ(line_.a().settings().parity, platform::Parity::Even);
    EXPECT_EQ(line_.a().timeouts().readInterval, CommTimeouts::kMaxDword);
    EXPECT_EQ(line_.a().timeouts().readTotalConstant, 0u);

    master_.SetParity(7);
    EXPECT_FALSE(master_.Open());
}

TEST(LocalModbusTiming, CharacterAndSilentTimes) {
    EXPECT_EQ(CLocalModbus::characterTime(8, 9600), 1u);
    EXPECT_EQ(CLocalModbus::silentTime(8, 9600), 5u);
    EXPECT_EQ(CLocalModbus::characterTime(8, 19200), 1u);   // computes to 0
    EXPECT_EQ(CLocalModbus::silentTime(8, 19200), 2u);
    EXPECT_EQ(CLocalModbus::characterTime(8, 1200), 10u);
    EXPECT_EQ(CLocalModbus::silentTime(7, 1200), 36u);
}

TEST_F(LocalModbusTest, ClosedPortAnswersPortNotOpen) {
    std::vector<uint16_t> v;
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 10);
    size_t got = 0;
    uint8_t buffer[4];
    EXPECT_EQ(master_.RawExchange(Bytes{1}, buffer, got, 10), 10);
    ASSERT_TRUE(master_.Open());
    EXPECT_TRUE(master_.Close());
    EXPECT_FALSE(master_.IsOpen());
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 10);
}

TEST_F(LocalModbusTest, RawExchangeReturnsWhatCameAndRestoresTimeouts) {
    ASSERT_TRUE(master_.Open());
    const CommTimeouts before = line_.a().timeouts();
    ScriptedPeer peer(line_.b());
    peer.answer(std::string("any bytes"));
    uint8_t buffer[64];
    size_t got = 0;
    EXPECT_EQ(master_.RawExchange(Bytes{'h', 'i'}, buffer, got, 200), 0);
    EXPECT_EQ(std::string(buffer, buffer + got), "any bytes");
    EXPECT_EQ(peer.taken(), (Bytes{'h', 'i'}));
    const CommTimeouts after = line_.a().timeouts();
    EXPECT_EQ(after.readInterval, before.readInterval);
    EXPECT_EQ(after.readTotalConstant, before.readTotalConstant);
    EXPECT_EQ(after.readTotalMultiplier, before.readTotalMultiplier);

    // Nothing at all is still success, with nothing received.
    EXPECT_EQ(master_.RawExchange(Bytes{'x'}, buffer, got, 30), 0);
    EXPECT_EQ(got, 0u);
    // The framed exchange works afterwards under the restored time-outs.
    ScriptedPeer again(line_.b());
    again.answer(withCrc({0x01, 0x03, 0x02, 0x00, 0x07}));
    std::vector<uint16_t> v;
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 0);
    again.taken();
}

TEST_F(LocalModbusTest, TwoThreadsSharingTheConnectionNeverInterleaveFrames) {
    startSimulator(sim::ModbusFraming::Rtu);
    std::atomic<int> failures{0};
    auto work = [&](uint8_t unit) {
        for (int i = 0; i < 40; ++i) {
            std::vector<uint16_t> v;
            const auto start = static_cast<uint16_t>(i * 3);
            if (master_.ReadOutputRegisters(unit, start, 5, v) != 0 || v[0] != start + 1000u * unit ||
                v[4] != start + 4 + 1000u * unit) {
                ++failures;
            }
        }
    };
    std::thread one(work, 1);
    std::thread two(work, 2);
    one.join();
    two.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(runner_->requests(), 80u);
}

TEST_F(LocalModbusTest, SecondCallerGivesUpAfterTheLockTimeOut) {
    master_.SetTimeOut(1600);   // the first call holds the line past the lock time-out
    startSimulator(sim::ModbusFraming::Rtu);
    runner_->faults().add(*sim::parseFault("noreply:1"));
    std::atomic<uint16_t> first{0xFFFF};
    std::thread holder([&] {
        std::vector<uint16_t> v;
        first = master_.ReadOutputRegisters(1, 0, 1, v);
    });
    while (runner_->requests() == 0) std::this_thread::yield();
    std::vector<uint16_t> v;
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 11);
    holder.join();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(master_.GetErrorText(11), "Critical section lock time-out error");
}

}  // namespace
}  // namespace tern
