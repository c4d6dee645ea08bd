#pragma once
// Two connected serial ends in memory, for tests and simulators. What one end
// writes the other reads. Options model what real lines do:
//  - pacing: bytes become readable at the far end only after their wire time
//    at the configured baud rate (the writer's settings decide the rate);
//  - RTS->CTS loop-back: an end's CTS follows its own RTS (an RS-485 adapter
//    that reports the direction line back), otherwise CTS follows the peer's RTS;
//  - echo: what an end writes also comes back to its own input (a two-wire
//    RS-485 bus hears itself);
//  - injected events: break and framing errors reported to an end.
// Both ends are thread-safe; a read blocks under the CommTimeouts rules of
// SerialPort.h.
//
// A new line has both ends open, RTS and DTR off. close() on an end drops its
// lines and forgets its input; bytes written while the far end is closed are
// lost, as on a wire nobody listens to. A read whose far end is closed returns
// at once with what is there, or Closed when nothing is (as a pty does).
// Settings are checked like a real port's (checkSettings), but flow control
// is not simulated: output always flows.
#include <platform/SerialPort.h>

#include <memory>

namespace platform {

struct MemoryLineOptions {
    bool pacing = false;        // deliver at the baud rate instead of at once
    bool rtsCtsLoop = false;    // each end's CTS follows its own RTS
    bool echoA = false;         // end A hears its own writes
    bool echoB = false;         // end B hears its own writes
};

class MemoryLine {
public:
    explicit MemoryLine(MemoryLineOptions options = {});
    ~MemoryLine();
    MemoryLine(const MemoryLine&) = delete;
    MemoryLine& operator=(const MemoryLine&) = delete;

    // End A (usually the master) and end B (usually the simulated drives).
    // The ends live as long as the line; open() on them always succeeds.
    SerialPort& a();
    SerialPort& b();

    void setOptions(const MemoryLineOptions& options);
    MemoryLineOptions options() const;

    // Report a line event at end A or B (takeEvents() returns it once).
    void injectEventA(uint32_t events);
    void injectEventB(uint32_t events);

    struct Impl;
private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
