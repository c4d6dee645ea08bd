#pragma once
// A thin blocking TCP client socket over POSIX sockets. Every failure throws
// CBlockingSocketException; the owner (CRemoteModbus) catches them all.
// Every wait is bounded in milliseconds: 0 polls once, so a dead peer never
// holds a caller longer than the time it was given.
#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tern {

class CBlockingSocket {
public:
    CBlockingSocket() = default;
    ~CBlockingSocket() { Cleanup(); }
    CBlockingSocket(const CBlockingSocket&) = delete;
    CBlockingSocket& operator=(const CBlockingSocket&) = delete;

    void Create();                       // an IPv4 stream socket
    void Close();                        // throws "Close" when close() fails; the handle is gone either way
    void Cleanup() noexcept;             // closes without reporting
    bool IsCreated() const { return fd_ >= 0; }

    void Connect(const sockaddr_in& peer, uint32_t timeOutMs);
    // Sends until all bytes are out; returns the count sent.
    size_t Write(const uint8_t* data, size_t length, uint32_t timeOutMs);
    // One send once the socket is writable.
    size_t Send(const uint8_t* data, size_t length, uint32_t timeOutMs);
    // One recv once the socket is readable; 0 when the peer has closed.
    size_t Receive(uint8_t* buffer, size_t size, uint32_t timeOutMs);
    // Receives until size bytes came or the peer closed, all within timeOutMs.
    size_t ReceiveAll(uint8_t* buffer, size_t size, uint32_t timeOutMs);
    void GetSockName(sockaddr_in& local) const;

    // Resolves a host name or dotted address to an IPv4 address.
    static sockaddr_in GetHostByName(const std::string& name, uint16_t port);

private:
    // Waits until the socket is readable (or writable); false on time-out.
    bool waitFor(short events, int timeOutMs) const;

    int fd_ = -1;
};

}  // namespace tern
