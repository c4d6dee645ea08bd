#include <platform/testing/LoopbackServer.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::testing {

int loopbackSocket(int* port, bool listening)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0 || (listening && ::listen(fd, 1) != 0)) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(a.sin_port);
    return fd;
}

LoopbackServer::LoopbackServer(Script script, int acceptWaitMs)
{
    listen_ = loopbackSocket(&port_, true);
    if (listen_ < 0)
        return;
    thread_ = std::thread([this, script = std::move(script), acceptWaitMs] {
        pollfd p{listen_, POLLIN, 0};
        if (::poll(&p, 1, acceptWaitMs) != 1)
            return;
        const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        script(fd);
        ::close(fd);
    });
}

LoopbackServer::~LoopbackServer()
{
    if (thread_.joinable())
        thread_.join();
    if (listen_ >= 0)
        ::close(listen_);
}

std::string LoopbackServer::url(const std::string& scheme) const
{
    return scheme + "://127.0.0.1:" + std::to_string(port_);
}

}  // namespace platform::testing
