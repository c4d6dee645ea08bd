#pragma once
// Timing helpers of the SIO benchmarks: milliseconds of a duration, and the
// wire time of a telegram at 9600 baud, 8N1 (10 bits a character).
#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double wireMs9600(int chars)
{
    return chars * 10 * 1000.0 / 9600.0;
}

}  // namespace bench
