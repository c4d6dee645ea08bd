#include <platform/testing/Ser2netServer.h>

#include <platform/testing/LoopbackServer.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace platform::testing {

namespace {

constexpr const char* kProgram = "/usr/sbin/ser2net";

// Listening sockets of the machine, from the kernel's table (state 0A),
// so that waiting for the server does not itself open the line.
bool listensOn(int port)
{
    std::ifstream in("/proc/net/tcp");
    std::string line;
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, ":%04X", port);
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string slot, local, remote, state;
        if (words >> slot >> local >> remote >> state && state == "0A" && local.ends_with(wanted)) return true;
    }
    return false;
}

}  // namespace

int unusedTcpPort()
{
    int port = 0;
    const int fd = loopbackSocket(&port, false);
    if (fd >= 0) ::close(fd);
    return port;
}

bool Ser2netServer::available() { return ::access(kProgram, X_OK) == 0; }

Ser2netServer::Ser2netServer(const std::string& device, Kind kind, const std::string& lineSettings) : kind_(kind)
{
    port_ = unusedTcpPort();
    const std::string accepter = kind == Kind::Rfc2217 ? "telnet(rfc2217),tcp" : "tcp";
    // '#' separates lines of -Y; "local" ignores the modem lines a pty lacks.
    // Without chardelay ser2net passes each byte on as it comes instead of
    // holding a reply back for two or more character times: what a device
    // server for Modbus RTU or SIO is set to.
    const std::string yaml = "connection: &line#  accepter: " + accepter + ",127.0.0.1," + std::to_string(port_)
                             + "#  connector: serialdev," + device + "," + lineSettings + ",local"
                             + "#  options:#    kickolduser: true#    chardelay: false";
    pid_ = ::fork();
    if (pid_ == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execl(kProgram, kProgram, "-n", "-u", "-P", "/dev/null", "-Y", yaml.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid_ < 0) {
        error_ = "fork failed";
        return;
    }
    for (int i = 0; i < 500 && !listening_; ++i) {
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "ser2net ended at start";
            return;
        }
        listening_ = listensOn(port_);
        if (!listening_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!listening_) error_ = "ser2net does not listen on " + std::to_string(port_);
}

Ser2netServer::~Ser2netServer() { kill(); }

std::string Ser2netServer::url() const
{
    return std::string(kind_ == Kind::Rfc2217 ? "rfc2217://" : "tcp://") + "127.0.0.1:" + std::to_string(port_);
}

void Ser2netServer::kill()
{
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

SilentTcpServer::SilentTcpServer()
{
    fd_ = loopbackSocket(&port_, false);
    if (fd_ >= 0 && ::listen(fd_, 8) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

SilentTcpServer::~SilentTcpServer()
{
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform::testing
