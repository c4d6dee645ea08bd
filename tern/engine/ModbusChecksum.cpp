#include <tern/engine/ModbusChecksum.h>

#include <array>

namespace tern {
namespace {

// The usual pair of tables: the CRC register is kept as two bytes, and one
// lookup per input byte gives the new high and low byte.
struct CrcTables {
    std::array<uint8_t, 256> high{};
    std::array<uint8_t, 256> low{};
};

constexpr CrcTables makeCrcTables() {
    CrcTables t;
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        t.low[i] = static_cast<uint8_t>(crc & 0xFF);
        t.high[i] = static_cast<uint8_t>(crc >> 8);
    }
    return t;
}

constexpr CrcTables kCrc = makeCrcTables();
constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

uint16_t crc16Modbus(const uint8_t* data, size_t length) {
    uint8_t low = 0xFF;
    uint8_t high = 0xFF;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t index = low ^ data[i];
        low = high ^ kCrc.low[index];
        high = kCrc.high[index];
    }
    return static_cast<uint16_t>(high << 8 | low);
}

uint8_t lrcModbus(const uint8_t* data, size_t length) {
    uint8_t sum = 0;
    for (size_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + data[i]);
    return static_cast<uint8_t>(-sum);
}

uint8_t decodeHexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
    return 0;
}

uint8_t decodeHexByte(char high, char low) {
    return static_cast<uint8_t>(decodeHexDigit(high) << 4 | decodeHexDigit(low));
}

void appendHexByte(std::string& out, uint8_t byte) {
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
}

}  // namespace tern
