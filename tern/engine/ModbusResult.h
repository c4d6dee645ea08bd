#pragma once
// Result codes of Tern's engine and transports: 16-bit, 0 for success. One
// table per layer: the engine's codes here with modbusResultText(), the TCP
// transport's codes (1000..1004) with remoteResultText().
#include <cstdint>
#include <string>

namespace tern {

namespace result {
constexpr uint16_t kOk = 0;
constexpr uint16_t kTimeOut = 1;              // no response byte within the time-out
constexpr uint16_t kInvalidResponse = 2;      // the response does not echo the request
constexpr uint16_t kCrcError = 3;             // CRC/LRC wrong, or an ASCII frame too short
constexpr uint16_t kWriteError = 8;
constexpr uint16_t kReadError = 9;
constexpr uint16_t kPortNotOpen = 10;
constexpr uint16_t kLockTimeOut = 11;         // the connection stayed busy past the lock time-out
constexpr uint16_t kException = 0x8000;       // + the slave's exception code

constexpr uint16_t kBufferOverflow = 1000;
constexpr uint16_t kSocketError = 1001;
constexpr uint16_t kWriteSocketError = 1002;
constexpr uint16_t kReadSocketError = 1003;
constexpr uint16_t kSocketNotConnected = 1004;
}  // namespace result

constexpr bool isExceptionResult(uint16_t code) { return (code & result::kException) != 0; }
constexpr uint16_t exceptionResult(uint8_t exceptionCode) {
    return static_cast<uint16_t>(result::kException + exceptionCode);
}

// The engine's texts; the empty text for a code not in the table.
std::string modbusResultText(uint16_t code);
// The TCP transport's texts in front of the engine's.
std::string remoteResultText(uint16_t code);

}  // namespace tern
