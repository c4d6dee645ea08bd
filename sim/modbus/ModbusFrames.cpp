#include <sim/modbus/ModbusFrames.h>

namespace sim {
namespace {

int hexValue(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void appendHex(std::vector<uint8_t>& out, uint8_t byte) {
    static const char kDigits[] = "0123456789ABCDEF";
    out.push_back(static_cast<uint8_t>(kDigits[byte >> 4]));
    out.push_back(static_cast<uint8_t>(kDigits[byte & 0xF]));
}

}  // namespace

uint16_t rtuCrc(std::span<const uint8_t> bytes) {
    uint16_t crc = 0xFFFF;
    for (uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

uint8_t asciiLrc(std::span<const uint8_t> bytes) {
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    return static_cast<uint8_t>((0x100 - (sum & 0xFF)) & 0xFF);
}

std::vector<uint8_t> encodeRtu(std::span<const uint8_t> body) {
    std::vector<uint8_t> frame(body.begin(), body.end());
    const uint16_t crc = rtuCrc(body);
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    return frame;
}

std::vector<uint8_t> encodeAscii(std::span<const uint8_t> body) {
    std::vector<uint8_t> frame{':'};
    for (uint8_t b : body) appendHex(frame, b);
    appendHex(frame, asciiLrc(body));
    frame.push_back('\r');
    frame.push_back('\n');
    return frame;
}

std::optional<std::vector<uint8_t>> decodeRtu(std::span<const uint8_t> frame) {
    if (frame.size() < 4) return std::nullopt;
    const size_t body = frame.size() - 2;
    const uint16_t crc = static_cast<uint16_t>(frame[body] | frame[body + 1] << 8);
    if (rtuCrc(frame.first(body)) != crc) return std::nullopt;
    return std::vector<uint8_t>(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(body));
}

std::optional<std::vector<uint8_t>> decodeAscii(std::span<const uint8_t> frame) {
    // ':' + at least address, function and LRC + CR LF, hex digits in pairs.
    if (frame.size() < 9 || frame.front() != ':' || frame[frame.size() - 2] != '\r' || frame.back() != '\n' ||
        (frame.size() - 3) % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    for (size_t i = 1; i + 2 < frame.size(); i += 2) {
        const int high = hexValue(frame[i]);
        const int low = hexValue(frame[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    const uint8_t lrc = bytes.back();
    bytes.pop_back();
    if (asciiLrc(bytes) != lrc) return std::nullopt;
    return bytes;
}

size_t rtuRequestLength(std::span<const uint8_t> buffer) {
    if (buffer.size() < 2) return 0;
    switch (buffer[1]) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06: return 8;
    case 0x0F:
    case 0x10: return buffer.size() < 7 ? 0 : 9 + static_cast<size_t>(buffer[6]);
    default: return 0;
    }
}

}  // namespace sim
