#include <platform/PseudoTerminal.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace platform {

PseudoTerminal::~PseudoTerminal()
{
    if (keepSlave_ >= 0) ::close(keepSlave_);
    if (master_ >= 0) ::close(master_);
}

bool PseudoTerminal::open(std::string& error, bool nonBlockingMaster)
{
    auto fail = [&error](const char* step) {
        error = std::string(step) + ": " + std::strerror(errno);
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("cannot create a pseudo-terminal");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("unlockpt");
    char name[PATH_MAX];
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    slavePath_ = name;
    keepSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (keepSlave_ < 0) return fail("cannot open the pseudo-terminal");
    termios t{};
    if (::tcgetattr(keepSlave_, &t) != 0) return fail("tcgetattr");
    ::cfmakeraw(&t);
    if (::tcsetattr(keepSlave_, TCSANOW, &t) != 0) return fail("cannot set raw mode");
    if (nonBlockingMaster) {
        const int flags = ::fcntl(master_, F_GETFL);
        if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) return fail("fcntl");
    }
    return true;
}

}  // namespace platform
