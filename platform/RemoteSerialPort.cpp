#include <platform/RemoteSerialPort.h>

#include <platform/ReadDeadline.h>
#include <platform/SettingsCheck.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kPendingLimit = 64 * 1024;

bool peerGone(int e) { return e == ECONNRESET || e == EPIPE || e == ENOTCONN || e == ETIMEDOUT; }

// poll() for `events` until the deadline; false when it passed or failed.
bool waitSocket(int fd, short events, int ms)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, ms);
        if (n >= 0) return n > 0;
        if (errno != EINTR) return false;
    }
}

}  // namespace

std::optional<RemoteAddress> parseRemoteAddress(const std::string& device)
{
    RemoteAddress a;
    std::string rest;
    if (device.rfind("tcp://", 0) == 0) {
        rest = device.substr(6);
    } else if (device.rfind("rfc2217://", 0) == 0) {
        a.rfc2217 = true;
        rest = device.substr(10);
    } else {
        return std::nullopt;
    }
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size()) return std::nullopt;
    a.host = rest.substr(0, colon);
    a.port = rest.substr(colon + 1);
    if (a.host.size() > 2 && a.host.front() == '[' && a.host.back() == ']') a.host = a.host.substr(1, a.host.size() - 2);
    if (!std::all_of(a.port.begin(), a.port.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    return a;
}

RemoteSerialPort::RemoteSerialPort(uint32_t allowanceMs, uint32_t connectMs)
    : allowanceMs_(allowanceMs), connectMs_(connectMs)
{
}

RemoteSerialPort::~RemoteSerialPort() { close(); }



template <class Call>
SerialResult RemoteSerialPort::withFd(Call&& call)
{
    std::shared_lock lock(fdLock_);
    const int fd = fd_;
    return fd < 0 ? SerialResult::NotOpen : call(fd);
}

SerialResult RemoteSerialPort::connectTo(const RemoteAddress& a, int& fd)
{
    const std::string where = a.host + ":" + a.port;
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(a.host.c_str(), a.port.c_str(), &hints, &list) != 0 || !list) {
        setProblem("The serial device server " + where + " cannot be found: check the host name in ports.ini.");
        return SerialResult::NoSuchPort;
    }
    SerialResult r = SerialResult::NoSuchPort;
    int error = ECONNREFUSED;
    for (addrinfo* ai = list; ai && fd < 0; ai = ai->ai_next) {
        const int s = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (s < 0) continue;
        if (::connect(s, ai->ai_addr, ai->ai_addrlen) != 0 && errno != EINPROGRESS) {
            error = errno;
            ::close(s);
            continue;
        }
        int soError = ETIMEDOUT;
        socklen_t len = sizeof soError;
        if (waitSocket(s, POLLOUT, int(connectMs_)))
            ::getsockopt(s, SOL_SOCKET, SO_ERROR, &soError, &len);
        if (soError != 0) {
            error = soError;
            ::close(s);
            continue;
        }
        // Telegrams are small and every millisecond counts: no Nagle delay
        // on our requests.
        const int one = 1;
        if (::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0) tunable_ = false;
        fd = s;
        r = SerialResult::Ok;
    }
    ::freeaddrinfo(list);
    if (r != SerialResult::Ok)
        setProblem("The serial device server " + where + (error == ETIMEDOUT ? " does not answer" : " refuses the connection")
                   + " (" + std::strerror(error) + "): check that it runs and that its port " + a.port
                   + " is the one in ports.ini.");
    return r;
}

SerialResult RemoteSerialPort::open(const std::string& device)
{
    if (isOpen()) close();
    setProblem({});
    const auto address = parseRemoteAddress(device);
    if (!address) {
        setProblem(device + " is not a serial device server address (tcp://host:port or rfc2217://host:port).");
        return SerialResult::NoSuchPort;
    }
    int fd = -1;
    tunable_ = true;
    const SerialResult c = connectTo(*address, fd);
    if (c != SerialResult::Ok) return c;
    {
        std::lock_guard reader(readLock_);
        pending_.clear();
        telnet_ = ComPortTelnet();
    }
    std::unique_lock lock(fdLock_);
    rfc2217_ = address->rfc2217;
    device_ = device;
    SerialResult r = rfc2217_ ? sendRaw(fd, ComPortTelnet::greeting()) : SerialResult::Ok;
    if (r == SerialResult::Ok && rfc2217_) r = applyLine(fd, settings());
    if (r != SerialResult::Ok) {
        ::close(fd);
        return r;
    }
    fd_ = fd;
    return SerialResult::Ok;
}

SerialResult RemoteSerialPort::close()
{
    if (fd_ < 0) return SerialResult::Ok;
    // Wakes a read waiting in poll() on another thread.
    ::shutdown(fd_, SHUT_RDWR);
    std::unique_lock lock(fdLock_);
    const int fd = fd_.exchange(-1);
    if (fd < 0) return SerialResult::Ok;
    return ::close(fd) == 0 || errno == EINTR ? SerialResult::Ok : SerialResult::IoError;
}

bool RemoteSerialPort::isOpen() const { return fd_ >= 0; }

SerialResult RemoteSerialPort::applyLine(int fd, const SerialSettings& s)
{
    {
        std::lock_guard reader(readLock_);
        telnet_.resetAnswer();
    }
    SerialResult r = sendRaw(fd, ComPortTelnet::setLine(s));
    const auto end = Clock::now() + std::chrono::milliseconds(connectMs_);
    for (;;) {
        if (r != SerialResult::Ok) break;
        ComPortTelnet::LineAnswer answer;
        bool refused = false;
        {
            std::lock_guard reader(readLock_);
            r = pullInput(fd);
            answer = telnet_.answer();
            refused = telnet_.refused();
        }
        if (r != SerialResult::Ok) break;
        if (refused) {
            setProblem("The server " + device_ + " does not offer COM-port control (RFC 2217): use tcp:// for a raw line.");
            return SerialResult::Unsupported;
        }
        if (answer.complete()) {
            if (ComPortTelnet::matches(answer, s)) return SerialResult::Ok;
            setProblem("The server " + device_ + " did not take " + std::to_string(s.baudRate) + " baud, "
                       + std::to_string(s.dataBits) + " data bits (it keeps " + std::to_string(answer.baudRate)
                       + " baud, " + std::to_string(answer.dataBits) + " data bits). Check the server's line settings.");
            return SerialResult::InvalidSetting;
        }
        const auto now = Clock::now();
        if (now >= end) {
            setProblem("The serial device server " + device_ + " accepts the connection but does not answer the "
                       "line settings: check that it offers RFC 2217 on this port (else use tcp://).");
            return SerialResult::Timeout;
        }
        waitSocket(fd, POLLIN, pollMilliseconds(end, now));
    }
    setProblem("The serial device server " + device_ + " closed the connection.");
    return r;
}

SerialResult RemoteSerialPort::configure(const SerialSettings& s)
{
    const SerialResult valid = checkSettings(s);
    if (valid != SerialResult::Ok) return valid;
    const SerialSettings before = settings();
    const bool lineChanged = before.baudRate != s.baudRate || before.dataBits != s.dataBits
                             || before.parity != s.parity || before.stopBits != s.stopBits;
    if (rfc2217_ && lineChanged) {
        const SerialResult r = withFd([&](int fd) { return applyLine(fd, s); });
        if (r != SerialResult::Ok && r != SerialResult::NotOpen) return r;
    }
    storeSettings(s);
    return SerialResult::Ok;
}




SerialResult RemoteSerialPort::sendRaw(int fd, const std::string& bytes)
{
    std::lock_guard writer(writeLock_);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            if (!waitSocket(fd, POLLOUT, int(connectMs_))) return SerialResult::Timeout;
        } else {
            return SerialResult::Closed;
        }
    }
    return SerialResult::Ok;
}

void RemoteSerialPort::acknowledgeAtOnce(int fd)
{
    // A server that keeps Nagle on (ser2net does) holds the second piece of
    // a reply until the first is acknowledged, and Linux delays that
    // acknowledgement by up to 40 ms: on a reply split by a pause on its
    // serial side, that is four times the reply's own wire time. Asking for
    // quick acknowledgements after every receive (the kernel drops back to
    // delayed ones on its own) releases the rest at once.
    const int one = 1;
    if (tunable_ && ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one) != 0) tunable_ = false;
}

SerialResult RemoteSerialPort::pullInput(int fd)
{
    uint8_t raw[4096];
    while (pending_.size() < kPendingLimit) {
        const ssize_t n = ::recv(fd, raw, sizeof raw, MSG_DONTWAIT);
        if (n > 0) acknowledgeAtOnce(fd);
        if (n > 0) {
            if (rfc2217_) {
                const std::string answer = telnet_.feed(raw, size_t(n), pending_);
                if (!answer.empty() && sendRaw(fd, answer) != SerialResult::Ok) return SerialResult::Closed;
            } else {
                pending_.insert(pending_.end(), raw, raw + n);
            }
            if (size_t(n) < sizeof raw) break;
        } else if (n == 0) {
            return SerialResult::Closed;   // the server ended the connection
        } else if (errno == EAGAIN) {
            break;
        } else if (errno != EINTR) {
            return peerGone(errno) ? SerialResult::Closed : SerialResult::IoError;
        }
    }
    return SerialResult::Ok;
}

SerialResult RemoteSerialPort::read(uint8_t* buf, size_t max, size_t& got)
{
    got = 0;
    const CommTimeouts t = timeouts();
    return withFd([&](int fd) {
        ReadDeadline deadline(t, max, Clock::now());
        for (;;) {
            SerialResult pulled;
            {
                std::lock_guard reader(readLock_);
                pulled = pullInput(fd);
                const size_t n = std::min(max - got, pending_.size());
                std::copy_n(pending_.begin(), n, buf + got);
                pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(n));
                got += n;
            }
            const auto now = Clock::now();
            deadline.arrived(got, now);
            if (pulled != SerialResult::Ok) {
                if (pulled == SerialResult::Closed) setProblem(device_ + ": the serial device server closed the connection.");
                return got > 0 && pulled == SerialResult::Closed ? SerialResult::Ok : pulled;
            }
            if (deadline.satisfied() || deadline.expired(now)) return SerialResult::Ok;
            waitSocket(fd, POLLIN, pollMilliseconds(deadline.deadline(), now));
        }
    });
}

SerialResult RemoteSerialPort::write(const uint8_t* data, size_t len, size_t& written)
{
    written = 0;
    return withFd([&](int fd) {
        const SerialResult r = sendRaw(fd, rfc2217_ ? ComPortTelnet::escape(data, len)
                                                    : std::string(reinterpret_cast<const char*>(data), len));
        if (r == SerialResult::Ok) written = len;
        return r;
    });
}

SerialResult RemoteSerialPort::setRts(bool on)
{
    if (!rfc2217_) return isOpen() ? SerialResult::Unsupported : SerialResult::NotOpen;
    using namespace telnet;
    return withFd([&](int fd) { return sendRaw(fd, ComPortTelnet::setControl(on ? CONTROL_RTS_ON : CONTROL_RTS_OFF)); });
}

SerialResult RemoteSerialPort::setDtr(bool on)
{
    if (!rfc2217_) return isOpen() ? SerialResult::Unsupported : SerialResult::NotOpen;
    using namespace telnet;
    return withFd([&](int fd) { return sendRaw(fd, ComPortTelnet::setControl(on ? CONTROL_DTR_ON : CONTROL_DTR_OFF)); });
}

SerialResult RemoteSerialPort::cts(bool& on)
{
    on = false;
    return isOpen() ? SerialResult::Unsupported : SerialResult::NotOpen;
}

SerialResult RemoteSerialPort::inputQueue(size_t& count)
{
    count = 0;
    return withFd([&](int fd) {
        std::lock_guard reader(readLock_);
        const SerialResult r = pullInput(fd);
        count = pending_.size();
        return count > 0 && r == SerialResult::Closed ? SerialResult::Ok : r;
    });
}

SerialResult RemoteSerialPort::outputQueue(size_t& count)
{
    // Once the socket took the bytes they are on their way; the server's
    // own queue cannot be seen from here.
    count = 0;
    return isOpen() ? SerialResult::Ok : SerialResult::NotOpen;
}

SerialResult RemoteSerialPort::purge(bool input, bool output)
{
    static_cast<void>(output);
    return withFd([&](int fd) {
        if (input) {
            std::lock_guard reader(readLock_);
            const SerialResult r = pullInput(fd);
            pending_.clear();
            if (r != SerialResult::Ok) return r;
        }
        return SerialResult::Ok;
    });
}

SerialResult RemoteSerialPort::drain() { return isOpen() ? SerialResult::Ok : SerialResult::NotOpen; }

SerialResult RemoteSerialPort::sendBreak(unsigned)
{
    return isOpen() ? SerialResult::Unsupported : SerialResult::NotOpen;
}

uint32_t RemoteSerialPort::takeEvents() { return 0; }

}  // namespace platform
