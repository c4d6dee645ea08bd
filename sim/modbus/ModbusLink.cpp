#include <sim/modbus/ModbusLink.h>

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace sim {

bool FdLink::read(uint8_t* buffer, size_t max, size_t& got, int timeoutMs) {
    got = 0;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready < 0) return errno == EINTR;
    if (ready == 0) return true;
    const ssize_t n = ::read(fd_, buffer, max);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    got = static_cast<size_t>(n);
    return n > 0;
}

bool FdLink::write(const uint8_t* data, size_t length) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd_, data + done, length - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN) return false;
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 100) < 0 && errno != EINTR) return false;
            continue;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool SerialPortLink::read(uint8_t* buffer, size_t max, size_t& got, int timeoutMs) {
    got = 0;
    if (timeoutMs != timeoutMs_) {
        // Return with the first bytes, or after timeoutMs with nothing.
        platform::CommTimeouts t;
        t.readInterval = platform::CommTimeouts::kMaxDword;
        t.readTotalMultiplier = platform::CommTimeouts::kMaxDword;
        t.readTotalConstant = static_cast<uint32_t>(timeoutMs > 0 ? timeoutMs : 1);
        if (port_.setTimeouts(t) != platform::SerialResult::Ok) return false;
        timeoutMs_ = timeoutMs;
    }
    return port_.read(buffer, max, got) == platform::SerialResult::Ok;
}

bool SerialPortLink::write(const uint8_t* data, size_t length) {
    size_t written = 0;
    return port_.write(data, length, written) == platform::SerialResult::Ok && written == length;
}

}  // namespace sim
