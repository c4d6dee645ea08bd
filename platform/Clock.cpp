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
    // Sleeps to a deadline on the steady clock: the kernel's high-resolution
    // timers wake within a fraction of a millisecond, and a spinning wait
    // would keep a core busy for the whole line time of every telegram.
    std::this_thread::sleep_until(Steady::now() + std::chrono::milliseconds(ms));
}

void sleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
