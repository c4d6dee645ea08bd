// Checksums of the serial framings: known vectors, and the engine's table
// CRC against the simulator's bitwise one over arbitrary data.
#include <tern/engine/ModbusChecksum.h>

#include <sim/modbus/ModbusFrames.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tern {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(Crc, KnownVectors) {
    struct Case {
        Bytes data;
        uint16_t crc;
    };
    const std::string check = "123456789";
    const std::vector<Case> cases{
        {{0x01, 0x03, 0x00, 0x00, 0x00, 0x01}, 0x0A84},   // goes out as 84 0A
        {{0x01, 0x83, 0x02}, 0xF1C0},
        {Bytes(check.begin(), check.end()), 0x4B37},       // the CRC-16/MODBUS check value
        {{}, 0xFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(crc16Modbus(c.data.data(), c.data.size()), c.crc);
        EXPECT_EQ(sim::rtuCrc(c.data), c.crc);
    }
}

TEST(Crc, FrameWithItsOwnCrcSumsToZero) {
    Bytes frame{0x11, 0x03, 0x00, 0x6B, 0x00, 0x03};
    const uint16_t crc = crc16Modbus(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    EXPECT_EQ(crc16Modbus(frame.data(), frame.size()), 0);
}

TEST(Crc, TableAndBitwiseImplementationsAgree) {
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        Bytes data(random() % 300);
        for (uint8_t& b : data) b = static_cast<uint8_t>(random());
        ASSERT_EQ(crc16Modbus(data.data(), data.size()), sim::rtuCrc(data)) << "length " << data.size();
        ASSERT_EQ(lrcModbus(data.data(), data.size()), sim::asciiLrc(data));
    }
}

TEST(Lrc, IsTheTwosComplementOfTheByteSum) {
    const Bytes body{0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x00};
    EXPECT_EQ(lrcModbus(body.data(), body.size()), 0xEE);
    const Bytes wraps{0xFF, 0xFF, 0x02};
    EXPECT_EQ(lrcModbus(wraps.data(), wraps.size()), 0x00);
    EXPECT_EQ(lrcModbus(nullptr, 0), 0x00);
}

TEST(AsciiHex, UppercaseOnlyAndAnythingElseIsZero) {
    EXPECT_EQ(decodeHexByte('E', 'E'), 0xEE);
    EXPECT_EQ(decodeHexByte('0', '9'), 0x09);
    EXPECT_EQ(decodeHexByte('e', 'e'), 0x00);
    EXPECT_EQ(decodeHexByte('G', '1'), 0x01);
    EXPECT_EQ(decodeHexDigit('\r'), 0);
    std::string text;
    for (uint8_t b : {0x00, 0x7F, 0xA5, 0xFF}) appendHexByte(text, b);
    EXPECT_EQ(text, "007FA5FF");
}

TEST(SimFrames, AsciiFramesRoundTripAndRejectDamage) {
    const Bytes body{0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x00};
    const Bytes frame = sim::encodeAscii(body);
    EXPECT_EQ(std::string(frame.begin(), frame.end()), ":010304000A0000EE\r\n");
    EXPECT_EQ(sim::decodeAscii(frame), body);
    Bytes damaged = frame;
    damaged[4] = '4';
    EXPECT_FALSE(sim::decodeAscii(damaged));
    EXPECT_FALSE(sim::decodeAscii(Bytes(frame.begin(), frame.end() - 1)));
}

TEST(SimFrames, RtuRequestLengthFromTheFunctionCode) {
    EXPECT_EQ(sim::rtuRequestLength(Bytes{0x01}), 0u);
    EXPECT_EQ(sim::rtuRequestLength(Bytes{0x01, 0x03}), 8u);
    EXPECT_EQ(sim::rtuRequestLength(Bytes{0x01, 0x10, 0, 0, 0, 2}), 0u);
    EXPECT_EQ(sim::rtuRequestLength(Bytes{0x01, 0x10, 0, 0, 0, 2, 4}), 13u);
    EXPECT_EQ(sim::rtuRequestLength(Bytes{0x01, 0x2B}), 0u);
}

}  // namespace
}  // namespace tern
