#pragma once
// An RTU frame as it goes on the line: its bytes, then their CRC low byte first.
#include <tern/engine/ModbusChecksum.h>

#include <cstdint>
#include <vector>

namespace tern {

inline std::vector<uint8_t> withCrc(std::vector<uint8_t> frame)
{
    const uint16_t crc = crc16Modbus(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    return frame;
}

}  // namespace tern
