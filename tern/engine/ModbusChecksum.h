#pragma once
// The checksums of the two serial framings: CRC-16/MODBUS for RTU (sent low
// byte first) and the LRC of ASCII, plus the hexadecimal text of ASCII frames.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tern {

// Reflected polynomial 0xA001, initial value 0xFFFF, no final XOR.
uint16_t crc16Modbus(const uint8_t* data, size_t length);
// Two's complement of the 8-bit sum of the bytes.
uint8_t lrcModbus(const uint8_t* data, size_t length);

// Uppercase hexadecimal only: the slave's text must match the LRC we compute
// over uppercase digits; any other character decodes as 0.
uint8_t decodeHexDigit(char c);
uint8_t decodeHexByte(char high, char low);
void appendHexByte(std::string& out, uint8_t byte);

}  // namespace tern
