#include <tern/engine/CBlockingSocket.h>

#include <tern/engine/CBlockingSocketException.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

namespace tern {
namespace {

using Clock = std::chrono::steady_clock;

int clampMs(uint32_t ms) { return ms > INT_MAX ? INT_MAX : static_cast<int>(ms); }

[[noreturn]] void fail(const char* operation, int error) { throw CBlockingSocketException(operation, error); }

bool setBlocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0) return false;
    const int wanted = blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
    return fcntl(fd, F_SETFL, wanted) == 0;
}

}  // namespace

void CBlockingSocket::Create() {
    Cleanup();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) fail("Create", errno);
    // Each frame goes out in one write; waiting to coalesce only adds latency.
    const int on = 1;
    if (setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) fail("Create", errno);
}

void CBlockingSocket::Close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("Close", errno);
}

void CBlockingSocket::Cleanup() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool CBlockingSocket::waitFor(short events, int timeOutMs) const {
    pollfd p{fd_, events, 0};
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeOutMs);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) fail("socket error", errno);
    }
}

void CBlockingSocket::Connect(const sockaddr_in& peer, uint32_t timeOutMs) {
    if (fd_ < 0) fail("Connect", EBADF);
    // Connect without blocking so that an unreachable host costs the time-out,
    // not the system's minutes of SYN retries.
    if (!setBlocking(fd_, false)) fail("Connect", errno);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS) fail("Connect", errno);
        if (!waitFor(POLLOUT, clampMs(timeOutMs))) fail("Connect", ETIMEDOUT);
        int error = 0;
        socklen_t len = sizeof error;
        if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) != 0) fail("Connect", errno);
        if (error != 0) fail("Connect", error);
    }
    if (!setBlocking(fd_, true)) fail("Connect", errno);
}

size_t CBlockingSocket::Send(const uint8_t* data, size_t length, uint32_t timeOutMs) {
    if (fd_ < 0) fail("Send", EBADF);
    if (!waitFor(POLLOUT, clampMs(timeOutMs))) fail("Send timeout", 0);
    for (;;) {
        // MSG_NOSIGNAL: a peer that went away is an error here, not SIGPIPE.
        const ssize_t n = ::send(fd_, data, length, MSG_NOSIGNAL);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR) fail("Send", errno);
    }
}

size_t CBlockingSocket::Write(const uint8_t* data, size_t length, uint32_t timeOutMs) {
    size_t sent = 0;
    while (sent < length) {
        const size_t n = Send(data + sent, length - sent, timeOutMs);
        if (n == 0) break;
        sent += n;
    }
    return sent;
}

size_t CBlockingSocket::Receive(uint8_t* buffer, size_t size, uint32_t timeOutMs) {
    if (fd_ < 0) fail("Receive", EBADF);
    if (!waitFor(POLLIN, clampMs(timeOutMs))) fail("Receive timeout", 0);
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, size, 0);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR) fail("Receive", errno);
    }
}

size_t CBlockingSocket::ReceiveAll(uint8_t* buffer, size_t size, uint32_t timeOutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeOutMs);
    size_t got = 0;
    while (got < size) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const size_t n = Receive(buffer + got, size - got, left > 0 ? static_cast<uint32_t>(left) : 0);
        if (n == 0) break;   // the peer closed
        got += n;
    }
    return got;
}

void CBlockingSocket::GetSockName(sockaddr_in& local) const {
    socklen_t len = sizeof local;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &len) != 0) fail("GetSockName", errno);
}

sockaddr_in CBlockingSocket::GetHostByName(const std::string& name, uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int r = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (r != 0 || found == nullptr) fail("GetHostByName", r == EAI_SYSTEM ? errno : r);
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);
    address.sin_port = htons(port);
    return address;
}

}  // namespace tern
