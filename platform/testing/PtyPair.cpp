#include <platform/testing/PtyPair.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace platform::testing {

PtyPair::PtyPair()
{
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        error_ = std::string("openpty: ") + std::strerror(errno);
        master_ = slave_ = -1;
        return;
    }
    slavePath_ = name;
    termios t{};
    bool set = ::tcgetattr(slave_, &t) == 0;
    if (set) {
        ::cfmakeraw(&t);
        set = ::tcsetattr(slave_, TCSANOW, &t) == 0;
    }
    set = set && ::fcntl(master_, F_SETFL, O_NONBLOCK) == 0 &&
          ::fcntl(master_, F_SETFD, FD_CLOEXEC) == 0 && ::fcntl(slave_, F_SETFD, FD_CLOEXEC) == 0;
    if (!set) {
        error_ = std::string("pty set-up: ") + std::strerror(errno);
        closeMaster();
        closeSlave();
    }
}

PtyPair::~PtyPair()
{
    closeMaster();
    closeSlave();
}

bool PtyPair::writeMaster(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0)
                return false;
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

std::string PtyPair::readMaster(size_t count, int timeoutMs)
{
    std::string out;
    char buf[4096];
    while (out.size() < count) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN))
            break;
        const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
        if (n <= 0 && !(n < 0 && (errno == EINTR || errno == EAGAIN)))
            break;
        if (n > 0)
            out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

void PtyPair::closeMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void PtyPair::closeSlave()
{
    if (slave_ >= 0)
        ::close(slave_);
    slave_ = -1;
}

}  // namespace platform::testing
