#include <platform/PortProblem.h>

#include <platform/ParseInt.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

namespace {

std::string programOf(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    if (name.empty()) name = "a program";
    return name + " (process " + std::to_string(pid) + ")";
}

// flock() and fcntl() locks on the device node: /proc/locks names them by
// the filesystem's device and the node's inode.
long pidFromLockTable(const struct stat& st)
{
    std::ifstream in("/proc/locks");
    std::string line;
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string index, kind, mode, access, where;
        long pid = 0;
        if (!(words >> index >> kind >> mode >> access >> pid >> where)) continue;
        if (where == wanted && pid > 0) return pid;
    }
    return 0;
}

// The UUCP convention (/var/lock/LCK..ttyUSB0 with the holder's process id)
// that serial programs such as ser2net and minicom follow.
long pidFromUucpLock(const std::string& device)
{
    const std::string base = device.substr(device.find_last_of('/') + 1);
    for (const char* dir : {"/var/lock", "/run/lock"}) {
        std::ifstream in(std::string(dir) + "/LCK.." + base);
        long pid = 0;
        if (in >> pid && pid > 0 && ::kill(pid, 0) == 0) return pid;
    }
    return 0;
}

// Any process of ours (or any, for root) with the device open.
long pidFromOpenFiles(const std::string& device)
{
    char real[4096];
    if (!::realpath(device.c_str(), real)) return 0;
    DIR* proc = ::opendir("/proc");
    if (!proc) return 0;
    long found = 0;
    const long self = ::getpid();
    while (dirent* e = ::readdir(proc)) {
        const long pid = parseInt<long>(e->d_name).value_or(0);
        if (pid <= 0 || pid == self) continue;
        const std::string fdDir = "/proc/" + std::string(e->d_name) + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds) continue;
        while (dirent* f = ::readdir(fds)) {
            char target[4096];
            const ssize_t n = ::readlink((fdDir + "/" + f->d_name).c_str(), target, sizeof target - 1);
            if (n > 0 && std::string(target, size_t(n)) == real) {
                found = pid;
                break;
            }
        }
        ::closedir(fds);
        if (found) break;
    }
    ::closedir(proc);
    return found;
}

}  // namespace

std::string portHolder(const std::string& device)
{
    struct stat st {};
    long pid = 0;
    if (::stat(device.c_str(), &st) == 0) pid = pidFromLockTable(st);
    if (pid == static_cast<long>(::getpid())) pid = 0;
    if (!pid) pid = pidFromUucpLock(device);
    if (!pid) pid = pidFromOpenFiles(device);
    return pid ? programOf(pid) : std::string{};
}

std::string heldPortProblem(const std::string& device)
{
    const std::string holder = portHolder(device);
    return "The serial port " + device + " is in use by " + (holder.empty() ? "another program" : holder)
           + ". Close that program (or end its connection) and try again.";
}

std::string localOpenProblem(const std::string& device, int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "You may not open the serial port " + device
               + ". Your user must be in the group dialout: run \"sudo usermod -aG dialout $USER\", then log out and in again.";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "The serial port " + device
               + " does not exist. Is the USB adapter plugged in? Otherwise choose the device of this port in Ports... (ports.ini).";
    case ENOTDIR:
    case ENOTTY:
        return device + " is not a serial port. Choose the device of this port in Ports... (ports.ini).";
    case EBUSY:
    case EWOULDBLOCK:
        return heldPortProblem(device);
    default:
        return "The serial port " + device + " cannot be opened: " + std::strerror(error) + ".";
    }
}

std::string lostLineProblem(const std::string& device)
{
    return "The line on " + device + " was lost (adapter unplugged or server gone).";
}

std::string withPortName(const std::string& portName, const std::string& problem)
{
    return portName.empty() || problem.empty() ? problem : portName + ": " + problem;
}

std::string addPortProblem(const std::string& message, const std::string& problem)
{
    return problem.empty() ? message : message + "\n\n" + problem;
}

}  // namespace platform
