#include <sim/modbus/ModbusPty.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace sim {

ModbusPty::~ModbusPty() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool ModbusPty::open(std::string& error) {
    auto fail = [&error](const char* step) {
        error = std::string(step) + ": " + std::strerror(errno);
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("unlockpt");
    char name[PATH_MAX];
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail("open pty");
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) return fail("tcgetattr");
    ::cfmakeraw(&t);
    if (::tcsetattr(slave_, TCSANOW, &t) != 0) return fail("tcsetattr");
    return true;
}

}  // namespace sim
