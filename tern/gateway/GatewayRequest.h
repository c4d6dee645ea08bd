#pragma once
// What the gateway does with one Modbus/TCP request: whether it may go on
// the serial line at all, what the slave's answer must look like, and which
// exception a client gets when the line cannot give one.
#include <tern/engine/CModbus.h>

#include <cstdint>
#include <vector>

namespace tern::gateway {

namespace exception {
constexpr uint8_t kIllegalFunction = 0x01;
constexpr uint8_t kIllegalDataValue = 0x03;
constexpr uint8_t kPathUnavailable = 0x0A;      // the line cannot be used
constexpr uint8_t kTargetNoResponse = 0x0B;     // the station did not answer (soundly)
}  // namespace exception

// Functions 5, 6, 15 and 16: they change a drive.
bool isWriteFunction(uint8_t function);

// 0 when the request may go on the line; otherwise the exception to answer.
// Only the functions whose answer length is known are forwarded (1 to 6, 15,
// 16): for any other the line would stay busy until the time-out on every
// request. Quantities beyond what one frame can carry, and byte counts that
// disagree with them, are refused before they reach a drive.
uint8_t checkRequest(const std::vector<uint8_t>& pdu, bool readOnly);

// Length of the slave's response frame body (unit id through last data
// byte) for a request that passed checkRequest.
size_t responseBodyLength(const std::vector<uint8_t>& pdu);

std::vector<uint8_t> exceptionPdu(uint8_t function, uint8_t code);
// The exception a failed exchange gives: the slave's own exception, 0x0B
// when the station was silent or garbled, 0x0A when the line itself failed.
uint8_t exceptionForResult(uint16_t result);

struct LineAnswer {
    bool reply = true;            // false for a broadcast: nothing goes back
    std::vector<uint8_t> pdu;     // the reply PDU
    uint16_t result = 0;          // the exchange's result code
};

// One request on the connection's line. Unit 0 is a broadcast: the frame is
// sent and no answer awaited (on a serial line; a TCP peer answers anyway).
LineAnswer exchangeOnLine(CModbus& engine, uint8_t unit, const std::vector<uint8_t>& pdu);

}  // namespace tern::gateway
