#include <platform/PosixSerialPort.h>

#include <platform/PortProblem.h>
#include <platform/ReadDeadline.h>
#include <platform/SettingsCheck.h>
#include <platform/TermiosSettings.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Decoded input kept beyond what reads ask for; the rest stays in the driver
// so that its input flow control still works.
constexpr size_t kPendingLimit = 64 * 1024;

SerialResult openError(int e)
{
    switch (e) {
    case ENOENT: case ENODEV: case ENXIO: case ENOTDIR: return SerialResult::NoSuchPort;
    case EACCES: case EPERM: case EBUSY: case EWOULDBLOCK: return SerialResult::AccessDenied;
    default: return SerialResult::IoError;
    }
}

// What a failed ioctl means to the caller: a pty has no modem lines
// (ENOTTY), a hung-up tty fails with EIO.
SerialResult ioctlError(int e)
{
    switch (e) {
    case ENOTTY: case EINVAL: return SerialResult::Unsupported;
    case EIO: return SerialResult::Closed;
    default: return SerialResult::IoError;
    }
}

bool lineGone(int e) { return e == EIO || e == ENXIO || e == ENODEV; }

// Pseudo-terminal masters and slaves, Unix 98 (128..143) and BSD (2, 3).
bool isPseudoTerminal(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned m = major(st.st_rdev);
    return m == 2 || m == 3 || (m >= 128 && m <= 143);
}

// The port belongs to one opener: flock() holds off every other one (also
// root and this process), TIOCEXCL other processes' plain open().
SerialResult claim(int fd)
{
    if (!::isatty(fd))
        return SerialResult::NoSuchPort;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? SerialResult::AccessDenied : SerialResult::IoError;
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL)
        return SerialResult::IoError;
    return SerialResult::Ok;
}

// A pty keeps TIOCEXCL after the last close while its far end stays open, so
// every later open() by a user who is not root would fail with EBUSY. The flag
// is dropped before each close; flock() goes with the descriptor anyway.
int release(int fd)
{
    // A hung-up line refuses the ioctl (EIO); its close still ends the claim,
    // so that failure has nothing left to undo.
    static_cast<void>(::ioctl(fd, TIOCNXCL));
    return ::close(fd);
}

}  // namespace

PosixSerialPort::PosixSerialPort()
{
    // Without the wake-up a close() still works; it then waits for blocked
    // calls to reach their time-outs.
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

PosixSerialPort::~PosixSerialPort()
{
    close();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

template <class Call>
SerialResult PosixSerialPort::withFd(Call&& call)
{
    if (closing_)
        return SerialResult::NotOpen;
    std::shared_lock lock(fdLock_);
    const int fd = fd_;
    return fd < 0 ? SerialResult::NotOpen : call(fd);
}

SerialResult PosixSerialPort::open(const std::string& device)
{
    if (isOpen() && close() != SerialResult::Ok)
        return SerialResult::IoError;
    const SerialSettings s = settings();
    std::unique_lock lock(fdLock_);
    setProblem({});
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        setProblem(localOpenProblem(device, e));
        return openError(e);
    }
    const bool pty = isPseudoTerminal(fd);
    SerialResult r = claim(fd);
    if (r == SerialResult::AccessDenied)
        setProblem(heldPortProblem(device));
    else if (r == SerialResult::NoSuchPort)
        setProblem(localOpenProblem(device, ENOTTY));
    else if (r == SerialResult::IoError)
        setProblem(localOpenProblem(device, errno));
    if (r == SerialResult::Ok)
        r = applyTermios(fd, s, pty);
    // A freshly opened port starts with an empty input, as after CreateFile.
    if (r == SerialResult::Ok && ::tcflush(fd, TCIFLUSH) != 0)
        r = SerialResult::IoError;
    if (r != SerialResult::Ok) {
        release(fd);
        return r;
    }
    {
        std::lock_guard reader(readLock_);
        pending_.clear();
        decoder_.reset();
        decoder_.setParityChecked(s.parity != Parity::None);
    }
    events_ = 0;
    isPty_ = pty;
    device_ = device;
    fd_ = fd;
    return SerialResult::Ok;
}

SerialResult PosixSerialPort::close()
{
    if (fd_ < 0)
        return SerialResult::Ok;
    closing_ = true;
    wakeBlockedCalls();
    std::unique_lock lock(fdLock_);
    const int fd = fd_.exchange(-1);
    clearWake();
    closing_ = false;
    if (fd < 0)
        return SerialResult::Ok;
    device_.clear();
    // Linux releases the descriptor even when close() reports an error.
    return release(fd) == 0 || errno == EINTR ? SerialResult::Ok : SerialResult::IoError;
}



bool PosixSerialPort::isOpen() const
{
    return fd_ >= 0;
}

SerialResult PosixSerialPort::configure(const SerialSettings& s)
{
    const SerialResult valid = checkSettings(s);
    if (valid != SerialResult::Ok)
        return valid;
    std::shared_lock lock(fdLock_);
    if (fd_ >= 0) {
        const SerialResult r = applyTermios(fd_, s, isPty_);
        if (r != SerialResult::Ok)
            return r;
        std::lock_guard reader(readLock_);
        decoder_.setParityChecked(s.parity != Parity::None);
    }
    storeSettings(s);
    return SerialResult::Ok;
}




PosixSerialPort::Wait PosixSerialPort::waitFor(int fd, short events, int timeoutMs)
{
    pollfd p[2] = {{fd, events, 0}, {wakeFd_, POLLIN, 0}};
    if (::poll(p, 2, timeoutMs) < 0)
        return errno == EINTR ? Wait::Ready : Wait::Failed;
    if (p[1].revents & POLLIN)
        return Wait::Woken;
    if (p[0].revents & POLLNVAL)
        return Wait::Failed;
    if ((p[0].revents & (POLLHUP | POLLERR)) && !(p[0].revents & events))
        return Wait::Hangup;
    return Wait::Ready;
}

SerialResult PosixSerialPort::pullInput(int fd)
{
    uint8_t raw[4096];
    while (pending_.size() < kPendingLimit) {
        const ssize_t n = ::read(fd, raw, sizeof raw);
        if (n > 0) {
            events_ |= decoder_.feed(raw, static_cast<size_t>(n), pending_);
            if (static_cast<size_t>(n) < sizeof raw)
                break;
        } else if (n == 0) {
            return SerialResult::Closed;   // hung up: the pty master has gone
        } else if (errno == EAGAIN) {
            break;
        } else if (errno != EINTR) {
            // An adapter unplugged under us reads EIO or ENXIO (ENODEV on
            // some drivers): the line is gone, as when a pty's far end closes.
            return lineGone(errno) ? SerialResult::Closed : SerialResult::IoError;
        }
    }
    return SerialResult::Ok;
}

size_t PosixSerialPort::takePending(uint8_t* buf, size_t max)
{
    const size_t n = std::min(max, pending_.size());
    std::copy_n(pending_.begin(), n, buf);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

SerialResult PosixSerialPort::read(uint8_t* buf, size_t max, size_t& got)
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
                got += takePending(buf + got, max - got);
            }
            const Clock::time_point now = Clock::now();
            deadline.arrived(got, now);
            // The end of the line shows only once all it sent is read.
            if (pulled != SerialResult::Ok)
                return got > 0 && pulled == SerialResult::Closed ? SerialResult::Ok : pulled;
            if (deadline.satisfied() || deadline.expired(now))
                return SerialResult::Ok;
            switch (waitFor(fd, POLLIN, pollMilliseconds(deadline.deadline(), now))) {
            case Wait::Ready: break;
            case Wait::Woken: return SerialResult::NotOpen;
            case Wait::Hangup: return got > 0 ? SerialResult::Ok : SerialResult::Closed;
            case Wait::Failed: return SerialResult::IoError;
            }
        }
    });
}

SerialResult PosixSerialPort::write(const uint8_t* data, size_t len, size_t& written)
{
    written = 0;
    const CommTimeouts t = timeouts();
    return withFd([&](int fd) {
        const auto deadline = writeDeadline(t, len, Clock::now());
        while (written < len) {
            const ssize_t n = ::write(fd, data + written, len - written);
            if (n > 0) {
                written += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return lineGone(errno) ? SerialResult::Closed : SerialResult::IoError;
            // The driver's buffer is full: wait for room, within the time-out.
            const Clock::time_point now = Clock::now();
            if (deadline && now >= *deadline)
                return SerialResult::Timeout;
            switch (waitFor(fd, POLLOUT, pollMilliseconds(deadline, now))) {
            case Wait::Ready: break;
            case Wait::Woken: return SerialResult::NotOpen;
            case Wait::Hangup: return SerialResult::Closed;
            case Wait::Failed: return SerialResult::IoError;
            }
        }
        return SerialResult::Ok;
    });
}

SerialResult PosixSerialPort::modemBits(unsigned long request, int bits)
{
    return withFd([&](int fd) {
        return ::ioctl(fd, request, &bits) == 0 ? SerialResult::Ok : ioctlError(errno);
    });
}

SerialResult PosixSerialPort::setRts(bool on)
{
    return modemBits(on ? TIOCMBIS : TIOCMBIC, TIOCM_RTS);
}

SerialResult PosixSerialPort::setDtr(bool on)
{
    return modemBits(on ? TIOCMBIS : TIOCMBIC, TIOCM_DTR);
}

SerialResult PosixSerialPort::cts(bool& on)
{
    return withFd([&](int fd) {
        int bits = 0;
        if (::ioctl(fd, TIOCMGET, &bits) != 0)
            return ioctlError(errno);
        on = (bits & TIOCM_CTS) != 0;
        return SerialResult::Ok;
    });
}

SerialResult PosixSerialPort::inputQueue(size_t& count)
{
    count = 0;
    return withFd([&](int fd) {
        // The driver's count includes the doubled FF and the marks; what
        // a read would deliver is known only after decoding.
        std::lock_guard reader(readLock_);
        const SerialResult r = pullInput(fd);
        count = pending_.size();
        return count > 0 && r == SerialResult::Closed ? SerialResult::Ok : r;
    });
}

SerialResult PosixSerialPort::outputQueue(size_t& count)
{
    count = 0;
    return withFd([&](int fd) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0)
            return ioctlError(errno);
        count = static_cast<size_t>(std::max(queued, 0));
        return SerialResult::Ok;
    });
}

SerialResult PosixSerialPort::purge(bool input, bool output)
{
    if (!input && !output)
        return isOpen() ? SerialResult::Ok : SerialResult::NotOpen;
    return withFd([&](int fd) {
        const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
        if (::tcflush(fd, which) != 0)
            return ioctlError(errno);
        if (input) {
            std::lock_guard reader(readLock_);
            pending_.clear();
            decoder_.reset();
        }
        return SerialResult::Ok;
    });
}

SerialResult PosixSerialPort::drain()
{
    return withFd([&](int fd) {
        // Watch the queue first so that close() can end a drain that flow
        // control holds up; tcdrain() then waits out the UART's own FIFO.
        for (;;) {
            int queued = 0;
            if (::ioctl(fd, TIOCOUTQ, &queued) != 0)
                return ioctlError(errno);
            if (queued <= 0)
                break;
            switch (waitFor(fd, 0, 1)) {
            case Wait::Ready: break;
            case Wait::Woken: return SerialResult::NotOpen;
            case Wait::Hangup: return SerialResult::Closed;
            case Wait::Failed: return SerialResult::IoError;
            }
        }
        while (::tcdrain(fd) != 0)
            if (errno != EINTR)
                return ioctlError(errno);
        return SerialResult::Ok;
    });
}

SerialResult PosixSerialPort::sendBreak(unsigned ms)
{
    return withFd([&](int fd) {
        // A pty accepts the break calls and drops the break: nothing would
        // reach the other end, so do not claim it did.
        if (isPty_)
            return SerialResult::Unsupported;
        if (ms == 0)
            return ::tcsendbreak(fd, 0) == 0 ? SerialResult::Ok : ioctlError(errno);
        if (::ioctl(fd, TIOCSBRK) != 0)
            return ioctlError(errno);
        const Wait w = waitFor(fd, 0, static_cast<int>(std::min(ms, 60'000u)));
        if (::ioctl(fd, TIOCCBRK) != 0)
            return ioctlError(errno);
        return w == Wait::Woken ? SerialResult::NotOpen : SerialResult::Ok;
    });
}

uint32_t PosixSerialPort::takeEvents()
{
    // Marks still in the driver count as seen: pull them in first.
    withFd([&](int fd) {
        std::lock_guard reader(readLock_);
        return pullInput(fd);
    });
    return events_.exchange(0);
}

void PosixSerialPort::wakeBlockedCalls()
{
    const uint64_t one = 1;
    if (wakeFd_ >= 0 && ::write(wakeFd_, &one, sizeof one) != sizeof one) {
        // The counter cannot overflow with one close at a time; should the
        // write fail anyway, blocked calls end at their own time-outs.
    }
}

void PosixSerialPort::clearWake()
{
    uint64_t count = 0;
    if (wakeFd_ >= 0 && ::read(wakeFd_, &count, sizeof count) != sizeof count) {
        // EAGAIN: nobody had been woken.
    }
}

}  // namespace platform
