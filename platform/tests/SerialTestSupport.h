#pragma once
// What the tests of every SerialPort implementation share: reading as text,
// elapsed time, and the Win32 read time-out cases each must end on time.
#include <platform/SerialPort.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace platform {

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
