// The gateway's reading of Modbus/TCP requests and its answers from the
// line: how a stream is cut into requests and when it is refused, which
// requests never reach a drive, and what a client gets back for every way
// an exchange can end.
#include <tern/gateway/GatewayProgram.h>
#include <tern/gateway/GatewayRequest.h>
#include <tern/gateway/MbapReader.h>

#include <tern/engine/CLocalModbus.h>
#include <tern/engine/ModbusChecksum.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/MemoryLine.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tern::gateway {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes mbap(uint16_t transaction, uint8_t unit, const Bytes& pdu, uint16_t protocol = 0, int length = -1)
{
    const size_t l = length < 0 ? pdu.size() + 1 : static_cast<size_t>(length);
    Bytes b{static_cast<uint8_t>(transaction >> 8), static_cast<uint8_t>(transaction), static_cast<uint8_t>(protocol >> 8),
            static_cast<uint8_t>(protocol), static_cast<uint8_t>(l >> 8), static_cast<uint8_t>(l), unit};
    b.insert(b.end(), pdu.begin(), pdu.end());
    return b;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Everything the reader hands on when the stream arrives in pieces of the
// given size; the last status tells whether it was refused.
std::vector<MbapRequest> readInPieces(const Bytes& stream, size_t piece, MbapReader::Status& last)
{
    MbapReader reader;
    std::vector<MbapRequest> out;
    last = MbapReader::Status::NeedMore;
    for (size_t at = 0; at < stream.size() && last != MbapReader::Status::Malformed; at += piece) {
        EXPECT_TRUE(reader.feed(stream.data() + at, std::min(piece, stream.size() - at)));
        MbapRequest r;
        while ((last = reader.next(r)) == MbapReader::Status::Request) out.push_back(r);
    }
    return out;
}

TEST(MbapReader, RequestsCutAnywhereInTheStreamComeOutWhole)
{
    const Bytes stream = mbap(0x1234, 1, {3, 0, 0, 0, 10}) + mbap(0xFFFF, 0, {16, 0, 1, 0, 2, 4, 0, 1, 0, 2}) +
                         mbap(7, 9, {0x2B, 0x0E, 1, 0});  // a function whose length the gateway does not know
    for (size_t piece : {1u, 2u, 6u, 7u, 13u, 100u}) {
        MbapReader::Status last;
        const auto requests = readInPieces(stream, piece, last);
        ASSERT_EQ(requests.size(), 3u) << "piece " << piece;
        EXPECT_EQ(last, MbapReader::Status::NeedMore);
        EXPECT_EQ(requests[0].transaction, 0x1234);
        EXPECT_EQ(requests[0].pdu, (Bytes{3, 0, 0, 0, 10}));
        EXPECT_EQ(requests[1].transaction, 0xFFFF);
        EXPECT_EQ(requests[1].unit, 0);
        EXPECT_EQ(requests[1].pdu.size(), 10u);
        EXPECT_EQ(requests[2].unit, 9);
    }
}

TEST(MbapReader, AnUntrustworthyHeaderEndsTheStreamAndNothingAfterItIsRead)
{
    const Bytes good = mbap(1, 1, {3, 0, 0, 0, 1});
    struct Case {
        const char* what;
        Bytes bad;
    } cases[] = {
        {"protocol id 1", mbap(2, 1, {3, 0, 0, 0, 1}, 1)},
        {"length 1 (no PDU)", mbap(2, 1, {}, 0, 1)},
        {"length 0", mbap(2, 1, {}, 0, 0)},
        {"length 255", mbap(2, 1, Bytes(254, 0x41))},
        {"function 3 with a longer PDU than it has", mbap(2, 1, {3, 0, 0, 0, 1, 0})},
        {"function 6 cut short", mbap(2, 1, {6, 0, 0, 0})},
        {"function 16 whose byte count disagrees with the length", mbap(2, 1, {16, 0, 0, 0, 1, 4, 0, 1})},
    };
    for (const auto& c : cases) {
        MbapReader::Status last;
        const auto requests = readInPieces(good + c.bad + good, 3, last);
        EXPECT_EQ(last, MbapReader::Status::Malformed) << c.what;
        EXPECT_EQ(requests.size(), 1u) << c.what;
    }
    // Judged on the header alone: no waiting for a PDU that never comes.
    MbapReader reader;
    const Bytes header = mbap(2, 1, {}, 0x5555, 0x4000);
    reader.feed(header.data(), 6);
    MbapRequest r;
    EXPECT_EQ(reader.next(r), MbapReader::Status::Malformed);
    EXPECT_FALSE(reader.feed(header.data(), 1));
}

TEST(GatewayRequest, WritesOnAReadOnlyGatewayAndOversizedRequestsNeverReachALine)
{
    for (const Bytes& write : {Bytes{5, 0, 1, 0xFF, 0}, Bytes{6, 0, 1, 0, 7}, Bytes{15, 0, 0, 0, 9, 2, 0, 0},
                               Bytes{16, 0, 0, 0, 1, 2, 0, 9}}) {
        EXPECT_EQ(checkRequest(write, true), exception::kIllegalFunction) << int(write[0]);
        EXPECT_EQ(checkRequest(write, false), 0) << int(write[0]);
    }
    EXPECT_EQ(checkRequest({3, 0, 0, 0, 125}, true), 0);
    EXPECT_EQ(checkRequest({1, 0, 0, 0x07, 0xD0}, true), 0);  // 2000 coils

    struct Case {
        Bytes pdu;
        uint8_t answer;
    } refused[] = {
        {{3, 0, 0, 0, 126}, exception::kIllegalDataValue},   // more than one reply frame holds
        {{4, 0, 0, 0, 0}, exception::kIllegalDataValue},
        {{2, 0, 0, 0x07, 0xD1}, exception::kIllegalDataValue},
        {{5, 0, 1, 0x12, 0x34}, exception::kIllegalDataValue},  // a coil is FF00 or 0000
        {{15, 0, 0, 0, 9, 1, 0}, exception::kIllegalDataValue},  // 9 coils need 2 bytes
        {{16, 0, 0, 0, 2, 2, 0, 9}, exception::kIllegalDataValue},
        {{16, 0, 0, 0, 124, 248}, exception::kIllegalDataValue},
        {{8, 0, 0, 0x12, 0x34}, exception::kIllegalFunction},   // answer length unknown
        {{0x2B, 0x0E, 1, 0}, exception::kIllegalFunction},
    };
    for (const auto& c : refused) EXPECT_EQ(checkRequest(c.pdu, false), c.answer) << int(c.pdu[0]);
}

TEST(GatewayRequest, FailuresOfTheLineAndOfTheStationGetTheirOwnExceptions)
{
    EXPECT_EQ(exceptionForResult(exceptionResult(2)), 2);
    EXPECT_EQ(exceptionForResult(result::kTimeOut), exception::kTargetNoResponse);
    EXPECT_EQ(exceptionForResult(result::kCrcError), exception::kTargetNoResponse);
    EXPECT_EQ(exceptionForResult(result::kInvalidResponse), exception::kTargetNoResponse);
    for (uint16_t line : {result::kPortNotOpen, result::kWriteError, result::kReadError, result::kLockTimeOut,
                          result::kSocketNotConnected})
        EXPECT_EQ(exceptionForResult(line), exception::kPathUnavailable) << line;
}

class GatewayLine : public testing::Test {
protected:
    GatewayLine() : redirect_(dir_.path()), master_(line_.a())
    {
        master_.SetTimeOut(100);
        master_.SetComPort(1);
        model_.fill();
    }
    void startSlave()
    {
        runner_ = std::make_unique<sim::ModbusSlaveRunner>(model_);
        std::string error;
        ASSERT_TRUE(runner_->startSerial(line_.b(), error)) << error;
    }

    platform::testing::TempDir dir_;
    platform::testing::RegistryRedirect redirect_;
    platform::MemoryLine line_;
    sim::ModbusMapModel model_{{1, 2}, 1000};
    std::unique_ptr<sim::ModbusSlaveRunner> runner_;
    CLocalModbus master_;
};

TEST_F(GatewayLine, RepliesCarryTheSlavesAnswerOrTheRightException)
{
    // Not open yet: the line itself is unavailable.
    LineAnswer a = exchangeOnLine(master_, 1, {3, 0, 10, 0, 2});
    EXPECT_EQ(a.pdu, (Bytes{0x83, exception::kPathUnavailable}));

    startSlave();
    ASSERT_TRUE(master_.Open());
    a = exchangeOnLine(master_, 1, {3, 0, 10, 0, 2});
    EXPECT_TRUE(a.reply);
    EXPECT_EQ(a.pdu, (Bytes{3, 4, 0x03, 0xF2, 0x03, 0xF3}));  // 1010, 1011
    a = exchangeOnLine(master_, 2, {6, 0, 5, 0xBE, 0xEF});
    EXPECT_EQ(a.pdu, (Bytes{6, 0, 5, 0xBE, 0xEF}));
    EXPECT_EQ(model_.value(sim::ModbusTable::HoldingRegisters, 2, 5), 0xBEEF);
    a = exchangeOnLine(master_, 1, {3, 0x03, 0xE7, 0, 2});  // past the end of the table
    EXPECT_EQ(a.pdu, (Bytes{0x83, 2}));
    a = exchangeOnLine(master_, 9, {3, 0, 0, 0, 1});  // nobody at 9
    EXPECT_EQ(a.pdu, (Bytes{0x83, exception::kTargetNoResponse}));
    EXPECT_EQ(a.result, result::kTimeOut);
}

TEST_F(GatewayLine, ABroadcastReachesEveryStationAndWaitsForNoAnswer)
{
    startSlave();
    ASSERT_TRUE(master_.Open());
    const uint64_t before = runner_->requests();
    const LineAnswer a = exchangeOnLine(master_, 0, {6, 0, 7, 0x12, 0x34});
    EXPECT_FALSE(a.reply);
    EXPECT_EQ(a.result, 0);
    // The slave acts on it; the next request finds the line free at once.
    const LineAnswer next = exchangeOnLine(master_, 1, {3, 0, 7, 0, 1});
    EXPECT_EQ(next.pdu, (Bytes{3, 2, 0x12, 0x34}));
    EXPECT_EQ(runner_->requests(), before + 2);
}

TEST(GatewayCommandLine, SafeDefaultsAndEverySettingTaken)
{
    GatewayOptions o;
    std::string error;
    ASSERT_TRUE(parseGatewayCommandLine({"--gateway", "5020", "--line", "COM3"}, o, error)) << error;
    EXPECT_EQ(o.settings.address, "127.0.0.1");
    EXPECT_EQ(o.settings.port, 5020);
    EXPECT_EQ(o.comPort, 3);
    EXPECT_FALSE(o.settings.readOnly);
    EXPECT_TRUE(o.settings.allow.empty());

    GatewayOptions p;
    ASSERT_TRUE(parseGatewayCommandLine({"--gateway", "[::]:502", "--line", "COM1", "--read-only", "--allow",
                                         "10.0.0.0/8", "--allow", "192.168.1.5", "--baud", "19200", "--parity",
                                         "even", "--idle-timeout", "5", "--max-clients", "2", "--max-in-flight", "1"},
                                        p, error))
        << error;
    EXPECT_EQ(p.settings.address, "::");
    EXPECT_TRUE(p.settings.readOnly);
    EXPECT_EQ(p.settings.allow.size(), 2u);
    EXPECT_EQ(p.baudRate, 19200u);
    EXPECT_EQ(p.parity, 2);
    EXPECT_EQ(p.settings.idleTimeOutMs, 5000);
    EXPECT_EQ(p.settings.maxClients, 2);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--gateway", "5020"}, {"--gateway", "70000", "--line", "COM1"},
          {"--gateway", ":502", "--line", "COM1"}, {"--gateway", "502", "--line", "COM9"},
          {"--gateway", "502", "--line", "COM1", "--parity", "mark"}, {"--gateway", "502", "--line", "COM1", "--baud"},
          {"--gateway", "502", "--line", "COM1", "--bogus"}}) {
        GatewayOptions q;
        EXPECT_FALSE(parseGatewayCommandLine(bad, q, error)) << bad.back();
    }
}

}  // namespace
}  // namespace tern::gateway
