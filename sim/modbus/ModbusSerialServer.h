#pragma once
// A slave serving RTU or ASCII frames on one link until told to stop.
//
// RTU frames end when their length (known from the function code) has
// arrived with a right CRC, or at a silence of 3.5 characters; a frame with a
// wrong CRC is dropped together with everything up to the next silence.
// ASCII frames run from ':' to CR LF; a partial frame dies after a second of
// silence.
//
// Pacing (a baud rate other than 0) makes a pseudo-terminal behave like a
// line: the answer starts 3.5 characters after the request would have left
// the wire, and each byte is released when it would have been received.
#include <sim/modbus/ModbusLink.h>
#include <sim/modbus/ModbusReply.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace sim {

struct SerialServeOptions {
    ModbusFraming framing = ModbusFraming::Rtu;
    uint32_t paceBaud = 0;          // 0: no pacing
    unsigned bitsPerCharacter = 10; // start, 8 data, stop
};

class ModbusSerialServer {
public:
    ModbusSerialServer(ModbusLink& link, ModbusSlave& slave, FaultInjector& faults, SerialServeOptions options);

    // Serves until stop becomes true; stop is looked at every 50 ms at most.
    void run(const std::atomic<bool>& stop);
    uint64_t requests() const { return requests_; }

private:
    using Clock = std::chrono::steady_clock;

    void serveRtu(const std::atomic<bool>& stop);
    void serveAscii(const std::atomic<bool>& stop);
    // Tries to take complete frames off the front of the RTU buffer.
    void takeRtuFrames(std::vector<uint8_t>& buffer, Clock::time_point& first, bool& garbled);
    void answer(std::span<const uint8_t> request, Clock::time_point firstByte);
    void send(const ModbusReply& reply, Clock::time_point start);
    Clock::duration characterTime() const;
    int silenceMs() const;

    ModbusLink& link_;
    ModbusSlave& slave_;
    FaultInjector& faults_;
    SerialServeOptions options_;
    std::atomic<uint64_t> requests_{0};
};

}  // namespace sim
