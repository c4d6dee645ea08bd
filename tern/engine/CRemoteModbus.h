#pragma once
// Tern's Modbus/TCP connection: each request frame body goes out behind the
// 6-byte header (transaction 0, protocol 0, length) and the response body is
// taken from behind the peer's header. Client only: it connects out.
//
// Socket waits are bounded by TimeOut: whole seconds from 1000 ms on, the
// milliseconds themselves below that. A socket failure closes the connection,
// and IsOpen() then says so.
#include <tern/engine/CBlockingSocket.h>
#include <tern/engine/CModbus.h>

#include <atomic>
#include <mutex>
#include <string>

namespace tern {

class CRemoteModbus : public CModbus {
public:
    static constexpr size_t kBufferSize = 1024;   // send and receive buffers, header included
    static constexpr size_t kHeaderSize = 6;

    CRemoteModbus() = default;
    ~CRemoteModbus() override;

    // Empty host, port 0, time-out 0: the stored Host, TcpPort, TimeOut.
    bool Connect(const std::string& host = {}, uint16_t port = 0, uint32_t timeOutMs = 0);
    bool Disconnect();
    bool IsOpen() const override { return connected_; }

    uint16_t Exchange(std::vector<uint8_t>& request, size_t requestLength, std::vector<uint8_t>& response,
                      size_t expectedLength, size_t* responseLength = nullptr) override;
    std::string GetErrorText(uint16_t code) const override;
    const char* GetRuntimeClassName() const override { return "CRemoteModbus"; }

    std::string GetHost() const;
    void SetHost(const std::string& host);
    uint16_t GetTcpPort() const { return tcpPort_; }
    void SetTcpPort(uint16_t port) { tcpPort_ = port; }
    uint32_t GetTimeOut() const { return timeOut_; }
    void SetTimeOut(uint32_t ms) { timeOut_ = ms; }

    // The local end of the connection (valid while connected).
    sockaddr_in localAddress() const { return local_; }

private:
    uint32_t socketWaitMs() const;
    uint16_t transfer(const std::vector<uint8_t>& request, size_t requestLength, std::vector<uint8_t>& response,
                      size_t expectedLength, size_t* responseLength);
    uint16_t dropConnection(uint16_t code);

    mutable std::mutex hostMutex_;
    std::string host_;
    std::atomic<uint16_t> tcpPort_{502};
    std::atomic<uint32_t> timeOut_{10000};
    std::atomic<bool> connected_{false};
    sockaddr_in local_{};
    CBlockingSocket socket_;
};

}  // namespace tern
