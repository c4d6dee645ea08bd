#include <platform/SingleInstance.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

bool fillAddress(sockaddr_un& addr, const std::string& path)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Asks the running instance to come to the front; a failure is harmless:
// the second start ends either way.
void knock(const std::string& socketPath)
{
    sockaddr_un addr{};
    if (!fillAddress(addr, socketPath)) return;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const char msg = 'A';
        if (write(fd, &msg, 1) != 1) {
            // nothing more to do: the first instance simply stays where it is
        }
    }
    ::close(fd);
}

}  // namespace

std::string SingleInstance::runtimeDirectory()
{
    if (const char* d = std::getenv("XDG_RUNTIME_DIR"); d && *d) return d;
    return "/tmp";
}

SingleInstance::SingleInstance(std::string name) : name_(std::move(name))
{
    std::string safe;
    for (char c : name_) safe += (std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    const std::string base = runtimeDirectory() + "/aviary-" + safe + "-" + std::to_string(getuid());
    lockPath_ = base + ".lock";
    socketPath_ = base + ".sock";
}

SingleInstance::~SingleInstance()
{
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) ::close(lockFd_);  // releases the lock
}

bool SingleInstance::acquire()
{
    if (lockFd_ >= 0) return true;
    const int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // no place for a lock: run rather than refuse to start
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        knock(socketPath_);
        return false;
    }
    lockFd_ = fd;
    // The lock proves any socket file left behind is stale.
    unlink(socketPath_.c_str());
    sockaddr_un addr{};
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s >= 0 && fillAddress(addr, socketPath_) &&
        bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(s, 4) == 0) {
        listenFd_ = s;
    } else if (s >= 0) {
        ::close(s);
    }
    return true;
}

int SingleInstance::serviceActivations(const std::function<void()>& onActivate)
{
    if (listenFd_ < 0) return 0;
    int n = 0;
    for (;;) {
        const int c = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) break;
        ::close(c);
        ++n;
        if (onActivate) onActivate();
    }
    return n;
}

}  // namespace platform
