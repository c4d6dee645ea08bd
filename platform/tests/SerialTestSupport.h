#pragma once
// What the tests of every SerialPort implementation share: reading as text,
// elapsed time, and the CommTimeouts read cases each must end on time.
#include <platform/SerialPort.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <latch>
#include <ostream>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

// The time-out value that marks the special cases, short for the tables.
inline constexpr uint32_t kMax = CommTimeouts::kMaxDword;

inline long long msSince(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - t).count();
}

// One read of up to max bytes, as text; the result goes to *result if given.
inline std::string readText(SerialPort& port, size_t max, SerialResult* result = nullptr)
{
    std::vector<uint8_t> buf(max);
    size_t got = 0;
    const SerialResult r = port.read(buf.data(), max, got);
    if (result)
        *result = r;
    return std::string(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(got));
}

// One read on another thread. blocked() waits until that read is asleep in
// the port: the reader opens a latch just before it reads, then the kernel
// must report its thread sleeping. Without that, a test that means to wake a
// blocked reader could be testing a read that has not started yet.
class BackgroundRead {
public:
    BackgroundRead(SerialPort& port, size_t max)
        : result_(std::async(std::launch::async, [this, &port, max] {
              tid_ = ::gettid();
              started_.count_down();
              SerialResult r;
              std::string got = readText(port, max, &r);
              return std::make_pair(r, got);
          }))
    {
    }

    // True once the reader sleeps (within a generous bound), after more
    // than `sleptBefore` sleeps: a reader woken by new input has then taken
    // it and waits again.
    bool blocked(long sleptBefore = -1)
    {
        started_.wait();
        for (int i = 0; i < 5000; ++i) {
            const auto [sleeping, count] = state();
            if (sleeping && count > sleptBefore)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    // How often the reader has gone to sleep so far.
    long sleeps()
    {
        started_.wait();
        return state().second;
    }

    bool endsWithin(std::chrono::milliseconds limit)
    {
        return result_.wait_for(limit) == std::future_status::ready;
    }
    std::pair<SerialResult, std::string> result() { return result_.get(); }

private:
    std::pair<bool, long> state() const
    {
        std::ifstream in("/proc/self/task/" + std::to_string(tid_) + "/status");
        bool sleeping = false;
        long count = -1;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("State:", 0) == 0)
                sleeping = line.find('S') != std::string::npos && line.find("(sleeping)") != std::string::npos;
            else if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                count = std::stol(line.substr(line.find(':') + 1));
        }
        return {sleeping, count};
    }

    std::latch started_{1};
    pid_t tid_ = 0;
    std::future<std::pair<SerialResult, std::string>> result_;
};

// First-byte mode: a read for 8 bytes waits while nothing comes, and
// returns as soon as the one byte "z" that sendZ puts on the far end arrives.
inline void expectFirstByteModeReturnsWhenTheFirstByteComes(SerialPort& port, const std::function<void()>& sendZ)
{
    constexpr uint32_t kMax = CommTimeouts::kMaxDword;
    port.setTimeouts({kMax, kMax, 2000, 0, 0});
    BackgroundRead reader(port, 8);
    ASSERT_TRUE(reader.blocked());
    const std::chrono::steady_clock::time_point sent = std::chrono::steady_clock::now();
    sendZ();
    ASSERT_TRUE(reader.endsWithin(std::chrono::seconds(2)));
    const auto [r, got] = reader.result();
    EXPECT_EQ(r, SerialResult::Ok);
    EXPECT_EQ(got, "z");
    EXPECT_LT(msSince(sent), 1000);
}

// The time-out cases: with nothing, or only part of the request, waiting
// when the read starts.

struct TimeoutCase {
    const char* name;
    CommTimeouts timeouts;
    std::string present;   // already waiting when the read starts
    size_t request;
    size_t expectGot;
    long long minMs;       // the read may not end earlier ...
    long long maxMs;       // ... nor much later (generous: machines are busy)
};

inline void PrintTo(const TimeoutCase& c, std::ostream* os) { *os << c.name; }

inline std::vector<TimeoutCase> timeoutCases()
{
    constexpr uint32_t kMax = CommTimeouts::kMaxDword;
    return {
        {"AtOnceEmpty", {kMax, 0, 0, 0, 0}, "", 8, 0, 0, 60},
        {"AtOnceWithData", {kMax, 0, 0, 0, 0}, "abc", 8, 3, 0, 60},
        {"FirstByteNothing", {kMax, kMax, 40, 0, 0}, "", 8, 0, 40, 140},
        {"FirstBytePresent", {kMax, kMax, 500, 0, 0}, "ab", 8, 2, 0, 100},
        {"TotalMultiplierAndConstant", {0, 3, 10, 0, 0}, "ab", 10, 2, 40, 140},
        {"IntervalAfterFirstByte", {30, 0, 0, 0, 0}, "abc", 10, 3, 30, 130},
        {"IntervalCappedByTotal", {500, 0, 30, 0, 0}, "ab", 10, 2, 30, 130},
        {"IntervalNeedsAFirstByte", {20, 0, 60, 0, 0}, "", 10, 0, 60, 160},
        {"AllPresentNeedsNoWait", {0, 0, 0, 0, 0}, "abcd", 4, 4, 0, 60},
    };
}

}  // namespace platform
