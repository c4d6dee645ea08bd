#pragma once
// The read time-out rules of CommTimeouts (SerialPort.h) as
// deadlines on the steady clock. Every SerialPort implementation runs its
// read loop against one of these, so all of them end a read at the same
// moment for the same time-outs.
#include <platform/SerialPort.h>

#include <chrono>
#include <cstddef>
#include <optional>

namespace platform {

class ReadDeadline {
public:
    using Clock = std::chrono::steady_clock;

    ReadDeadline(const CommTimeouts& t, size_t requested, Clock::time_point start);

    // got bytes have arrived in all; the last of them came in at `at`.
    void arrived(size_t got, Clock::time_point at);
    // The read may end now without waiting any longer.
    bool satisfied() const;
    // When the read ends if nothing more arrives; nullopt: never.
    std::optional<Clock::time_point> deadline() const;
    bool expired(Clock::time_point now) const;

private:
    enum class Mode {
        AtOnce,     // take what is there and return
        FirstByte,  // return with the first byte or after the constant
        Timed,      // total and interval limits (either may be off)
    };
    Mode mode_;
    size_t requested_;
    size_t got_ = 0;
    std::optional<Clock::time_point> total_;
    std::chrono::milliseconds interval_{0};   // 0: no interval limit
    Clock::time_point lastByte_{};
};

// End of a write of len bytes under the write time-outs; nullopt: no limit.
std::optional<ReadDeadline::Clock::time_point> writeDeadline(
    const CommTimeouts& t, size_t len, ReadDeadline::Clock::time_point start);

// Milliseconds to pass to poll() to wake at the deadline (rounded up so a
// wake-up is never early); -1 for no deadline, 0 once it has passed.
int pollMilliseconds(const std::optional<ReadDeadline::Clock::time_point>& deadline,
                     ReadDeadline::Clock::time_point now);

}  // namespace platform
