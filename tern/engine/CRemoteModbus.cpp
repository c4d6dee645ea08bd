#include <tern/engine/CRemoteModbus.h>

#include <tern/engine/CBlockingSocketException.h>

#include <arpa/inet.h>

#include <algorithm>
#include <array>

namespace tern {
namespace {

constexpr uint8_t kExceptionFlag = 0x80;
// A peer passes one of our own result codes as an exception code of 128 or more.
constexpr uint8_t kResultCodeOffset = 128;

}  // namespace

CRemoteModbus::~CRemoteModbus() { Disconnect(); }

std::string CRemoteModbus::GetHost() const {
    std::lock_guard guard(hostMutex_);
    return host_;
}

void CRemoteModbus::SetHost(const std::string& host) {
    std::lock_guard guard(hostMutex_);
    host_ = host;
}

std::string CRemoteModbus::GetErrorText(uint16_t code) const { return remoteResultText(code); }

uint32_t CRemoteModbus::socketWaitMs() const {
    const uint32_t ms = timeOut_;
    return ms >= 1000 ? ms / 1000 * 1000 : ms;
}

bool CRemoteModbus::Connect(const std::string& host, uint16_t port, uint32_t timeOutMs) {
    const std::string peerHost = host.empty() ? GetHost() : host;
    const uint16_t peerPort = port == 0 ? tcpPort_.load() : port;
    Lock lock(*this);
    if (!lock.owns() || !Disconnect()) return false;
    SetHost(peerHost);
    tcpPort_ = peerPort;
    if (timeOutMs != 0) timeOut_ = timeOutMs;
    try {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(peerPort);
        if (inet_pton(AF_INET, peerHost.c_str(), &peer.sin_addr) != 1) {
            peer = CBlockingSocket::GetHostByName(peerHost, peerPort);
        }
        socket_.Create();
        socket_.Connect(peer, std::max<uint32_t>(socketWaitMs(), 1));
        socket_.GetSockName(local_);
        connected_ = true;
        return true;
    } catch (const CBlockingSocketException&) {
        socket_.Cleanup();
        return false;
    }
}

bool CRemoteModbus::Disconnect() {
    Lock lock(*this);
    if (!lock.owns()) return false;
    if (!connected_) {
        socket_.Cleanup();
        return true;
    }
    connected_ = false;
    local_ = sockaddr_in{};
    try {
        socket_.Close();
    } catch (const CBlockingSocketException&) {
        socket_.Cleanup();
        return false;
    }
    return true;
}

uint16_t CRemoteModbus::dropConnection(uint16_t code) {
    // After a failure mid-frame the stream position is unknown: a later
    // response could be taken for the answer to another request.
    socket_.Cleanup();
    connected_ = false;
    return code;
}

uint16_t CRemoteModbus::Exchange(std::vector<uint8_t>& request, size_t requestLength, std::vector<uint8_t>& response,
                                 size_t expectedLength, size_t* responseLength) {
    if (responseLength) *responseLength = 0;
    if (response.size() < expectedLength) response.resize(expectedLength);
    std::fill(response.begin(), response.end(), 0);
    Lock lock(*this);
    if (!lock.owns()) return result::kLockTimeOut;
    if (!connected_) return result::kSocketNotConnected;
    if (requestLength > request.size() || requestLength + kHeaderSize > kBufferSize ||
        expectedLength + kHeaderSize > kBufferSize) {
        return result::kBufferOverflow;
    }
    try {
        return transfer(request, requestLength, response, expectedLength, responseLength);
    } catch (const CBlockingSocketException&) {
        return dropConnection(result::kSocketError);
    }
}

uint16_t CRemoteModbus::transfer(const std::vector<uint8_t>& request, size_t requestLength,
                                 std::vector<uint8_t>& response, size_t expectedLength, size_t* responseLength) {
    std::array<uint8_t, kBufferSize> frame{};
    frame[4] = static_cast<uint8_t>(requestLength >> 8);
    frame[5] = static_cast<uint8_t>(requestLength & 0xFF);
    std::copy_n(request.begin(), requestLength, frame.begin() + kHeaderSize);
    const size_t frameLength = requestLength + kHeaderSize;
    const uint32_t wait = socketWaitMs();
    if (socket_.Write(frame.data(), frameLength, wait) != frameLength) {
        return dropConnection(result::kWriteSocketError);
    }

    std::array<uint8_t, kBufferSize> rx{};
    if (socket_.ReceiveAll(rx.data(), kHeaderSize, wait) != kHeaderSize) {
        return dropConnection(result::kReadSocketError);
    }
    // The whole length field counts: leaving bytes of an oversize frame in the
    // stream would hand them to the next exchange as its response.
    const size_t length = static_cast<size_t>(rx[4] << 8 | rx[5]);
    if (length < 3 || length > kBufferSize - kHeaderSize) return dropConnection(result::kReadSocketError);
    if (socket_.ReceiveAll(rx.data() + kHeaderSize, length, wait) != length) {
        return dropConnection(result::kReadSocketError);
    }
    const uint8_t function = rx[7];
    if (function > kExceptionFlag) {
        const uint8_t code = rx[8];
        return code >= kResultCodeOffset ? static_cast<uint16_t>(code - kResultCodeOffset) : exceptionResult(code);
    }
    const size_t copied = expectedLength == 0 ? length : std::min(expectedLength, length);
    if (response.size() < copied) response.resize(copied);
    std::copy_n(rx.begin() + kHeaderSize, copied, response.begin());
    if (responseLength) *responseLength = std::min(length, expectedLength == 0 ? length : expectedLength);
    return result::kOk;
}

}  // namespace tern
