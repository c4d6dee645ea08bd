#include <sim/sio/SioSimRunner.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

class PortLink : public SioSimRunner::Link {
public:
    explicit PortLink(platform::SerialPort& port) : port_(port) {}
    int read(uint8_t* buf, size_t max, int timeoutMs) override
    {
        platform::CommTimeouts t;
        t.readInterval = platform::CommTimeouts::kMaxDword;
        t.readTotalMultiplier = platform::CommTimeouts::kMaxDword;
        t.readTotalConstant = static_cast<uint32_t>(timeoutMs);
        if (port_.setTimeouts(t) != platform::SerialResult::Ok)
            return -1;
        size_t got = 0;
        const auto r = port_.read(buf, max, got);
        if (r != platform::SerialResult::Ok)
            return -1;
        return static_cast<int>(got);
    }
    bool write(const std::string& bytes) override
    {
        return port_.writeAll(bytes) == platform::SerialResult::Ok;
    }
private:
    platform::SerialPort& port_;
};

class FdLink : public SioSimRunner::Link {
public:
    explicit FdLink(int fd) : fd_(fd) {}
    int read(uint8_t* buf, size_t max, int timeoutMs) override
    {
        pollfd p{fd_, POLLIN, 0};
        const int n = ::poll(&p, 1, timeoutMs);
        if (n < 0)
            return errno == EINTR ? 0 : -1;
        if (n == 0)
            return 0;
        const ssize_t got = ::read(fd_, buf, max);
        if (got > 0)
            return static_cast<int>(got);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return 0;
        // EIO: nobody has the slave open right now. Wait instead of spinning.
        ::poll(nullptr, 0, timeoutMs);
        return 0;
    }
    bool write(const std::string& bytes) override
    {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t w = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (w < 0) {
                if (errno == EINTR || errno == EAGAIN) {
                    pollfd p{fd_, POLLOUT, 0};
                    ::poll(&p, 1, 10);
                    continue;
                }
                return false;
            }
            done += static_cast<size_t>(w);
        }
        return true;
    }
private:
    int fd_;
};

}  // namespace

SioSimRunner::SioSimRunner(SioBus& bus, platform::SerialPort& port, SioRunnerOptions options)
    : bus_(bus), port_(&port), link_(std::make_unique<PortLink>(port)), options_(options)
{
}

SioSimRunner::SioSimRunner(SioBus& bus, int masterFd, SioRunnerOptions options)
    : bus_(bus), link_(std::make_unique<FdLink>(masterFd)), options_(options)
{
}

SioSimRunner::~SioSimRunner()
{
    stop();
}

bool SioSimRunner::start()
{
    if (running())
        return true;
    if (port_ != nullptr && !port_->isOpen() && port_->open("") != platform::SerialResult::Ok)
        return false;
    stop_ = false;
    thread_ = std::thread([this] { loop(); });
    return true;
}

void SioSimRunner::stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void SioSimRunner::loop()
{
    uint8_t buf[256];
    while (!stop_) {
        const int n = link_->read(buf, sizeof buf, 20);
        if (n < 0) {
            // The master has the line closed between its operations; look again soon.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        if (n == 0)
            continue;
        received_ += static_cast<uint64_t>(n);
        const std::string bytes(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
        if (options_.echo)
            link_->write(bytes);
        for (const SioBus::Output& o : bus_.feed(bytes))
            send(o);
    }
}

void SioSimRunner::send(const SioBus::Output& o)
{
    using namespace std::chrono;
    if (o.delayMs > 0)
        std::this_thread::sleep_for(milliseconds(o.delayMs));
    if (options_.baud == 0) {
        link_->write(o.bytes);
        return;
    }
    // Each byte becomes visible once its last bit is on the wire.
    const auto byteTime = duration<double>(static_cast<double>(options_.bitsPerChar) / options_.baud);
    const auto start = steady_clock::now();
    for (size_t i = 0; i < o.bytes.size(); ++i) {
        std::this_thread::sleep_until(start + duration_cast<steady_clock::duration>(byteTime * static_cast<double>(i + 1)));
        link_->write(o.bytes.substr(i, 1));
    }
}

}  // namespace sim
