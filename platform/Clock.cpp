#include <platform/Clock.h>

#include <chrono>
#include <thread>

namespace platform {

namespace {
using Steady = std::chrono::steady_clock;
}

uint32_t tickCount()
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

int64_t highResCounter()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now().time_since_epoch()).count();
}

int64_t highResFrequency() { return 1'000'000'000; }

void pause(uint32_t ms)
{
    // Counts per millisecond by integer division, like the counter the
    // telegram timing was tuned on; spinning keeps the delay exact where a
    // sleep would overshoot by the scheduler's slice.
    const int64_t perMs = highResFrequency() / 1000;
    const int64_t start = highResCounter();
    const int64_t target = perMs * ms;
    while (highResCounter() - start < target) {
        // Long pauses yield now and then so a spinning pause cannot starve
        // the other end of a pseudo-terminal on a small machine.
        if (target - (highResCounter() - start) > 2 * perMs) std::this_thread::yield();
    }
}

void sleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
