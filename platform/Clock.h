#pragma once
// The one place where the suite reads time. tickCount() stands for
// GetTickCount/timeGetTime (milliseconds, wraps at 2^32), the counter pair for
// QueryPerformanceCounter/Frequency, pause() for the exact wait of the
// telegram timing and sleepMs() for Sleep.
#include <cstdint>

namespace platform {

uint32_t tickCount();
int64_t highResCounter();
int64_t highResFrequency();      // counts per second
void pause(uint32_t ms);         // sleeps: exact to well under a millisecond
void sleepMs(uint32_t ms);       // gives the processor away

// A running time-out the way the programs use it: timedOut() is true once
// strictly more than the length has elapsed.
class Timeout {
public:
    explicit Timeout(uint32_t ms = 0) { start(ms); }
    void start(uint32_t ms) { start_ = tickCount(); length_ = ms; }
    bool timedOut() const { return static_cast<uint32_t>(tickCount() - start_) > length_; }
    uint32_t elapsed() const { return tickCount() - start_; }
private:
    uint32_t start_ = 0;
    uint32_t length_ = 0;
};

}  // namespace platform
