#include <platform/ReadDeadline.h>

#include <algorithm>
#include <climits>

namespace platform {

namespace {

constexpr uint32_t kMax = CommTimeouts::kMaxDword;

// multiplier * count + constant, kept within MAXDWORD ms (49 days, as
// good as forever) so that adding it to a time point cannot overflow.
std::optional<ReadDeadline::Clock::time_point> totalLimit(
    uint32_t multiplier, uint32_t constant, size_t count, ReadDeadline::Clock::time_point start)
{
    if (multiplier == 0 && constant == 0)
        return std::nullopt;
    const unsigned long long perByte = count > kMax ? kMax : count;
    const unsigned long long ms =
        std::min<unsigned long long>(perByte * multiplier + constant, kMax);
    return start + std::chrono::milliseconds(ms);
}

}  // namespace

ReadDeadline::ReadDeadline(const CommTimeouts& t, size_t requested, Clock::time_point start)
    : requested_(requested), lastByte_(start)
{
    if (t.readInterval == kMax && t.readTotalMultiplier == 0 && t.readTotalConstant == 0) {
        mode_ = Mode::AtOnce;
        total_ = start;
    } else if (t.readInterval == kMax && t.readTotalMultiplier == kMax &&
               t.readTotalConstant > 0 && t.readTotalConstant < kMax) {
        mode_ = Mode::FirstByte;
        total_ = start + std::chrono::milliseconds(t.readTotalConstant);
    } else {
        mode_ = Mode::Timed;
        total_ = totalLimit(t.readTotalMultiplier, t.readTotalConstant, requested, start);
        // An interval of MAXDWORD outside the two combinations above is
        // 49 days of allowed silence: no interval limit in practice.
        if (t.readInterval != kMax)
            interval_ = std::chrono::milliseconds(t.readInterval);
    }
}

void ReadDeadline::arrived(size_t got, Clock::time_point at)
{
    if (got > got_) {
        got_ = got;
        lastByte_ = at;
    }
}

bool ReadDeadline::satisfied() const
{
    if (got_ >= requested_ || mode_ == Mode::AtOnce)
        return true;
    return mode_ == Mode::FirstByte && got_ > 0;
}

std::optional<ReadDeadline::Clock::time_point> ReadDeadline::deadline() const
{
    // The interval timer runs only once the first byte has come.
    if (mode_ != Mode::Timed || interval_.count() == 0 || got_ == 0)
        return total_;
    const Clock::time_point silence = lastByte_ + interval_;
    return total_ ? std::min(*total_, silence) : silence;
}

bool ReadDeadline::expired(Clock::time_point now) const
{
    const auto d = deadline();
    return d && now >= *d;
}

std::optional<ReadDeadline::Clock::time_point> writeDeadline(
    const CommTimeouts& t, size_t len, ReadDeadline::Clock::time_point start)
{
    return totalLimit(t.writeTotalMultiplier, t.writeTotalConstant, len, start);
}

int pollMilliseconds(const std::optional<ReadDeadline::Clock::time_point>& deadline,
                     ReadDeadline::Clock::time_point now)
{
    if (!deadline)
        return -1;
    if (*deadline <= now)
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace platform
