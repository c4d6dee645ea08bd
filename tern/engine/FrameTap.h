#pragma once
// What a bus monitor sees of a serial line: every exchange with the bytes
// as they went over the wire (checksum or ASCII text included), when it
// started and ended, and how it ended. The line calls the tap on the thread
// of the exchange, inside the connection lock, so exchanges arrive in line
// order; a tap must be quick (it only copies).
#include <cstdint>
#include <vector>

namespace tern {

struct TappedExchange {
    int64_t startUs = 0;              // monotonic, just before the request was written
    int64_t endUs = 0;                // when the exchange ended (reply read or time-out)
    std::vector<uint8_t> request;     // wire bytes sent
    std::vector<uint8_t> response;    // wire bytes received, possibly none
    uint16_t result = 0;              // the exchange's result code
    bool expectsReply = true;         // false for a broadcast or a raw send
    bool ascii = false;
    uint32_t baudRate = 0;
    uint8_t byteSize = 8;
};

class FrameTap {
public:
    virtual ~FrameTap() = default;
    virtual void exchanged(const TappedExchange& exchange) = 0;
};

// Microseconds of the monotonic clock the taps use.
int64_t monotonicMicroseconds();

}  // namespace tern
