#include <platform/MemoryLine.h>

#include <platform/ReadDeadline.h>
#include <platform/SettingsCheck.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// One byte on its way to an end's input: readable from `ready` on.
struct Pending {
    uint8_t byte;
    Clock::time_point ready;
    int source;   // the end that wrote it (0 = A, 1 = B)
};

struct EndState {
    bool open = true;
    SerialSettings settings;
    CommTimeouts timeouts;
    bool rts = false;
    bool dtr = false;
    uint32_t events = 0;
    std::deque<Pending> input;
    std::deque<Clock::time_point> inFlight;   // own bytes not yet off the wire
    Clock::time_point wireFree{};             // when the last own byte has left
};

Clock::duration characterTime(const SerialSettings& s)
{
    const auto ns = 1'000'000'000ull * bitsPerCharacter(s) / s.baudRate;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns));
}

}  // namespace

class MemoryEnd;

struct MemoryLine::Impl {
    std::mutex mutex;
    std::condition_variable changed;
    MemoryLineOptions options;
    EndState state[2];
    std::unique_ptr<MemoryEnd> ends[2];
};

namespace {

// Holds the line's lock for one call on one end.
struct Access {
    explicit Access(MemoryLine::Impl& line, int side)
        : lock(line.mutex), line(line), self(line.state[side]), peer(line.state[1 - side]) {}
    std::unique_lock<std::mutex> lock;
    MemoryLine::Impl& line;
    EndState& self;
    EndState& peer;
};

}  // namespace

class MemoryEnd final : public SerialPort {
public:
    MemoryEnd(MemoryLine::Impl& line, int side) : line_(line), side_(side) {}

    SerialResult open(const std::string&) override
    {
        Access a(line_, side_);
        a.self.open = true;
        line_.changed.notify_all();
        return SerialResult::Ok;
    }

    SerialResult close() override
    {
        Access a(line_, side_);
        // A closed port forgets its input and drops its modem lines; what it
        // already put on the wire still reaches the other end.
        EndState closed;
        closed.open = false;
        closed.settings = a.self.settings;
        closed.timeouts = a.self.timeouts;
        a.self = std::move(closed);
        line_.changed.notify_all();
        return SerialResult::Ok;
    }

    bool isOpen() const override
    {
        Access a(line_, side_);
        return a.self.open;
    }

    SerialResult configure(const SerialSettings& settings) override
    {
        const SerialResult r = checkSettings(settings);
        if (r != SerialResult::Ok)
            return r;
        Access a(line_, side_);
        a.self.settings = settings;
        return SerialResult::Ok;
    }

    SerialSettings settings() const override
    {
        Access a(line_, side_);
        return a.self.settings;
    }

    SerialResult setTimeouts(const CommTimeouts& timeouts) override
    {
        Access a(line_, side_);
        a.self.timeouts = timeouts;
        return SerialResult::Ok;
    }

    CommTimeouts timeouts() const override
    {
        Access a(line_, side_);
        return a.self.timeouts;
    }

    SerialResult read(uint8_t* buf, size_t max, size_t& got) override;
    SerialResult write(const uint8_t* data, size_t len, size_t& written) override;

    SerialResult setRts(bool on) override { return setLine(&EndState::rts, on); }
    SerialResult setDtr(bool on) override { return setLine(&EndState::dtr, on); }

    SerialResult cts(bool& on) override
    {
        Access a(line_, side_);
        if (!a.self.open)
            return SerialResult::NotOpen;
        on = line_.options.rtsCtsLoop ? a.self.rts : a.peer.open && a.peer.rts;
        return SerialResult::Ok;
    }

    SerialResult inputQueue(size_t& count) override;
    SerialResult outputQueue(size_t& count) override;
    SerialResult purge(bool input, bool output) override;
    SerialResult drain() override;
    SerialResult sendBreak(unsigned ms) override;

    uint32_t takeEvents() override
    {
        Access a(line_, side_);
        return std::exchange(a.self.events, 0u);
    }

private:
    SerialResult setLine(bool EndState::*line, bool on)
    {
        Access a(line_, side_);
        if (!a.self.open)
            return SerialResult::NotOpen;
        a.self.*line = on;
        line_.changed.notify_all();
        return SerialResult::Ok;
    }

    bool hearsItself() const { return side_ == 0 ? line_.options.echoA : line_.options.echoB; }
    void waitUntil(Access& a, std::optional<Clock::time_point> until);

    MemoryLine::Impl& line_;
    const int side_;
};

void MemoryEnd::waitUntil(Access& a, std::optional<Clock::time_point> until)
{
    if (until)
        line_.changed.wait_until(a.lock, *until);
    else
        line_.changed.wait(a.lock);
}

SerialResult MemoryEnd::read(uint8_t* buf, size_t max, size_t& got)
{
    got = 0;
    Access a(line_, side_);
    if (!a.self.open)
        return SerialResult::NotOpen;
    const Clock::time_point start = Clock::now();
    ReadDeadline deadline(a.self.timeouts, max, start);
    for (;;) {
        const Clock::time_point now = Clock::now();
        auto& in = a.self.input;
        while (got < max && !in.empty() && in.front().ready <= now) {
            buf[got++] = in.front().byte;
            // Bytes that waited in the buffer count as arriving now.
            deadline.arrived(got, std::max(in.front().ready, start));
            in.pop_front();
        }
        if (deadline.satisfied() || deadline.expired(now))
            return SerialResult::Ok;
        if (in.empty() && !a.peer.open)
            return got > 0 ? SerialResult::Ok : SerialResult::Closed;
        std::optional<Clock::time_point> wake = deadline.deadline();
        if (!in.empty())
            wake = wake ? std::min(*wake, in.front().ready) : in.front().ready;
        waitUntil(a, wake);
        if (!a.self.open)
            return SerialResult::NotOpen;
    }
}

SerialResult MemoryEnd::write(const uint8_t* data, size_t len, size_t& written)
{
    written = 0;
    Access a(line_, side_);
    if (!a.self.open)
        return SerialResult::NotOpen;
    const Clock::time_point now = Clock::now();
    const bool paced = line_.options.pacing;
    const Clock::duration perByte = characterTime(a.self.settings);
    Clock::time_point onWire = std::max(now, a.self.wireFree);
    const bool echo = hearsItself();
    for (size_t i = 0; i < len; ++i) {
        // Each byte starts when the previous one has left the wire.
        onWire = paced ? onWire + perByte : now;
        const Pending p{data[i], onWire, side_};
        if (a.peer.open)
            a.peer.input.push_back(p);
        if (echo)
            a.self.input.push_back(p);
        if (paced)
            a.self.inFlight.push_back(onWire);
    }
    a.self.wireFree = onWire;
    written = len;
    line_.changed.notify_all();
    return SerialResult::Ok;
}

SerialResult MemoryEnd::inputQueue(size_t& count)
{
    count = 0;
    Access a(line_, side_);
    if (!a.self.open)
        return SerialResult::NotOpen;
    const Clock::time_point now = Clock::now();
    count = std::count_if(a.self.input.begin(), a.self.input.end(),
                          [now](const Pending& p) { return p.ready <= now; });
    return SerialResult::Ok;
}

SerialResult MemoryEnd::outputQueue(size_t& count)
{
    count = 0;
    Access a(line_, side_);
    if (!a.self.open)
        return SerialResult::NotOpen;
    const Clock::time_point now = Clock::now();
    auto& flight = a.self.inFlight;
    while (!flight.empty() && flight.front() <= now)
        flight.pop_front();
    count = flight.size();
    return SerialResult::Ok;
}

SerialResult MemoryEnd::purge(bool input, bool output)
{
    Access a(line_, side_);
    if (!a.self.open)
        return SerialResult::NotOpen;
    const Clock::time_point now = Clock::now();
    auto drop = [](std::deque<Pending>& q, auto pred) {
        q.erase(std::remove_if(q.begin(), q.end(), pred), q.end());
    };
    // Bytes still on the wire arrive later, as on a real line.
    if (input)
        drop(a.self.input, [now](const Pending& p) { return p.ready <= now; });
    if (output) {
        auto unsent = [now, this](const Pending& p) { return p.source == side_ && p.ready > now; };
        drop(a.self.input, unsent);
        drop(a.peer.input, unsent);
        a.self.inFlight.clear();
        a.self.wireFree = std::min(a.self.wireFree, now);
    }
    line_.changed.notify_all();
    return SerialResult::Ok;
}

SerialResult MemoryEnd::drain()
{
    Access a(line_, side_);
    while (a.self.open && Clock::now() < a.self.wireFree)
        line_.changed.wait_until(a.lock, a.self.wireFree);
    return a.self.open ? SerialResult::Ok : SerialResult::NotOpen;
}

SerialResult MemoryEnd::sendBreak(unsigned ms)
{
    Access a(line_, side_);
    if (!a.self.open)
        return SerialResult::NotOpen;
    // The break follows the output already queued and holds the line for ms.
    const Clock::time_point start =
        line_.options.pacing ? std::max(Clock::now(), a.self.wireFree) : Clock::now();
    const Clock::time_point end = start + std::chrono::milliseconds(ms);
    if (line_.options.pacing)
        a.self.wireFree = end;
    if (a.peer.open)
        a.peer.events |= EventBreak;
    if (hearsItself())
        a.self.events |= EventBreak;
    while (a.self.open && Clock::now() < end)
        line_.changed.wait_until(a.lock, end);
    return a.self.open ? SerialResult::Ok : SerialResult::NotOpen;
}

MemoryLine::MemoryLine(MemoryLineOptions options) : impl_(std::make_unique<Impl>())
{
    impl_->options = options;
    impl_->ends[0] = std::make_unique<MemoryEnd>(*impl_, 0);
    impl_->ends[1] = std::make_unique<MemoryEnd>(*impl_, 1);
}

MemoryLine::~MemoryLine() = default;

SerialPort& MemoryLine::a() { return *impl_->ends[0]; }
SerialPort& MemoryLine::b() { return *impl_->ends[1]; }

void MemoryLine::setOptions(const MemoryLineOptions& options)
{
    std::lock_guard lock(impl_->mutex);
    impl_->options = options;
    impl_->changed.notify_all();
}

MemoryLineOptions MemoryLine::options() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->options;
}

void MemoryLine::injectEventA(uint32_t events)
{
    std::lock_guard lock(impl_->mutex);
    impl_->state[0].events |= events;
}

void MemoryLine::injectEventB(uint32_t events)
{
    std::lock_guard lock(impl_->mutex);
    impl_->state[1].events |= events;
}

}  // namespace platform
