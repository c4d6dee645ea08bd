#include <sim/modbus/ModbusTcpServer.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace sim {
namespace {

constexpr size_t kHeader = 6;        // transaction, protocol, length
constexpr uint16_t kMaxLength = 254; // unit + the largest PDU
constexpr int kStopCheckMs = 50;

bool sendAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

ModbusTcpServer::ModbusTcpServer(ModbusSlave& slave, FaultInjector& faults) : slave_(slave), faults_(faults) {}

ModbusTcpServer::~ModbusTcpServer() {
    closeAll();
    if (listenFd_ >= 0) ::close(listenFd_);
}

bool ModbusTcpServer::listen(uint16_t port, std::string& error) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return error = std::string("socket: ") + std::strerror(errno), false;
    const int on = 1;
    if (setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        return error = std::string("setsockopt: ") + std::strerror(errno), false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 16) != 0) {
        return error = "port " + std::to_string(port) + ": " + std::strerror(errno), false;
    }
    socklen_t length = sizeof address;
    if (::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return error = std::string("getsockname: ") + std::strerror(errno), false;
    }
    port_ = ntohs(address.sin_port);
    return true;
}

void ModbusTcpServer::accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;   // the client gave up already; keep listening
    const int on = 1;
    if (setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) {
        ::close(fd);
        return;
    }
    clients_.push_back({fd, {}});
}

bool ModbusTcpServer::receive(Client& client) {
    uint8_t chunk[512];
    const ssize_t n = ::recv(client.fd, chunk, sizeof chunk, 0);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    client.buffer.insert(client.buffer.end(), chunk, chunk + n);
    return serveFrames(client);
}

bool ModbusTcpServer::serveFrames(Client& client) {
    std::vector<uint8_t>& buffer = client.buffer;
    while (buffer.size() >= kHeader) {
        const uint16_t protocol = static_cast<uint16_t>(buffer[2] << 8 | buffer[3]);
        const uint16_t length = static_cast<uint16_t>(buffer[4] << 8 | buffer[5]);
        if (protocol != 0 || length < 2 || length > kMaxLength) return false;
        if (buffer.size() < kHeader + length) return true;
        ++requests_;
        const std::span<const uint8_t> frame(buffer.data(), kHeader + length);
        const std::optional<ModbusReply> reply = tcpReply(slave_, faults_, frame.first(kHeader), frame.subspan(kHeader));
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(kHeader + length));
        if (!reply) continue;
        if (reply->delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(reply->delayMs));
        if (!sendAll(client.fd, reply->bytes)) return false;
    }
    return true;
}

void ModbusTcpServer::run(const std::atomic<bool>& stop) {
    while (!stop) {
        std::vector<pollfd> fds{{listenFd_, POLLIN, 0}};
        for (const Client& c : clients_) fds.push_back({c.fd, POLLIN, 0});
        const int ready = ::poll(fds.data(), fds.size(), kStopCheckMs);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        if (fds[0].revents & POLLIN) accept();
        // Newly accepted clients are not in fds yet: walk only the polled ones.
        for (size_t i = fds.size() - 1; i >= 1; --i) {
            if (fds[i].revents == 0) continue;
            Client& client = clients_[i - 1];
            if (!receive(client)) {
                ::close(client.fd);
                clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(i - 1));
            }
        }
    }
    closeAll();
}

void ModbusTcpServer::closeAll() {
    for (const Client& c : clients_) ::close(c.fd);
    clients_.clear();
}

}  // namespace sim
