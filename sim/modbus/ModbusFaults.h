#pragma once
// Faults a simulated slave can be told to make, on the command line as
// "kind[:arg]":
//   noreply[:n]    answer nothing
//   badcrc[:n]     wrong CRC (RTU) or LRC (ASCII); "badlrc" is the same
//   short[:n]      leave off the last byte of the frame
//   wrongaddr[:n]  answer with another slave address
//   noise[:n]      send a few garbage bytes before the answer
//   delay:ms       answer ms later (every time)
// n limits a fault to the next n responses; without it the fault stays.
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sim {

enum class FaultKind { NoReply, BadChecksum, ShortFrame, WrongAddress, Noise, Delay };

struct ModbusFault {
    FaultKind kind = FaultKind::NoReply;
    uint32_t arg = 0;   // Delay: milliseconds; others: responses affected (0: all)
};

std::optional<ModbusFault> parseFault(const std::string& text);

// What to do to the next response: the faults due now, merged.
struct FaultPlan {
    bool noReply = false;
    bool badChecksum = false;
    bool shortFrame = false;
    bool wrongAddress = false;
    bool noise = false;
    uint32_t delayMs = 0;
};

// Thread-safe: a test may change the faults while a runner serves.
class FaultInjector {
public:
    void add(const ModbusFault& fault);
    void clear();
    bool empty() const;
    // Takes one response's worth of the limited faults.
    FaultPlan next();

private:
    struct Active {
        ModbusFault fault;
        uint32_t left;   // 0: unlimited
    };
    mutable std::mutex mutex_;
    std::vector<Active> active_;
};

}  // namespace sim
