#include <platform/LineLock.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

namespace platform {

namespace {

std::string runtimeDirectory()
{
    if (const char* d = std::getenv("XDG_RUNTIME_DIR"); d && *d && ::access(d, W_OK) == 0) return d;
    return "/tmp";
}

// Two names of one device (a by-id link, a relative path) are one line.
std::string realDevice(const std::string& device)
{
    char* real = ::realpath(device.c_str(), nullptr);
    if (!real) return device;
    std::string out(real);
    std::free(real);
    return out;
}

std::string readHolder(int fd)
{
    char text[256];
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return {};
    std::string out(text, static_cast<size_t>(n));
    while (!out.empty() && (out.back() == '\n' || out.back() == '\0')) out.pop_back();
    return out;
}

}  // namespace

LineLock::~LineLock() { release(); }

LineLock::LineLock(LineLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), device_(std::move(other.device_))
{
}

LineLock& LineLock::operator=(LineLock&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        device_ = std::move(other.device_);
    }
    return *this;
}

std::string LineLock::lockPath(const std::string& device)
{
    // The path made one file name: letters and digits kept, the rest as hex.
    static const char kHex[] = "0123456789abcdef";
    std::string name;
    for (const unsigned char c : realDevice(device)) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.') {
            name += static_cast<char>(c);
        } else {
            name += '_';
            name += kHex[c >> 4];
            name += kHex[c & 0xF];
        }
    }
    return runtimeDirectory() + "/aviary-line-" + std::to_string(::getuid()) + "-" + name + ".lock";
}

bool LineLock::take(const std::string& device, const std::string& detail, std::string& holder)
{
    release();
    const std::string path = lockPath(device);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        holder = "nobody: the lock file " + path + " cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        holder = error == EWOULDBLOCK ? readHolder(fd) : std::string("nobody: ") + std::strerror(error);
        if (holder.empty()) holder = "another program";
        ::close(fd);
        return false;
    }
    std::string name = program_invocation_short_name;
    name += " (pid " + std::to_string(::getpid()) + ")";
    if (!detail.empty()) name += ", " + detail;
    name += '\n';
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, name.data(), name.size(), 0) != static_cast<ssize_t>(name.size())) {
        // A holder the file cannot name still holds the line: the others are
        // told "another program".
    }
    fd_ = fd;
    device_ = device;
    holder.clear();
    return true;
}

void LineLock::release()
{
    if (fd_ < 0) return;
    // Emptied first: a file that names a holder is never left unlocked.
    if (::ftruncate(fd_, 0) != 0) {
        // The next holder writes its own name over this one.
    }
    ::close(std::exchange(fd_, -1));
    device_.clear();
}

std::string LineLock::holder(const std::string& device)
{
    const int fd = ::open(lockPath(device).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string who;
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
    } else {
        who = readHolder(fd);
        if (who.empty()) who = "another program";
    }
    ::close(fd);
    return who;
}

}  // namespace platform
