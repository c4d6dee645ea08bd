#pragma once
// Tern's serial-line connection: Modbus RTU (binary, CRC-16) or ASCII (hex
// text, LRC) on one COM port, plus a raw exchange without framing. A reply
// ends where the port's read time-outs (platform::CommTimeouts) end a read.
//
// Settings take effect at the next Open(); they may be changed from any
// thread. Exchanges, raw exchanges, Open() and Close() hold the connection
// lock, so callers sharing the object get whole frames one at a time.
#include <tern/engine/CModbus.h>
#include <tern/engine/FrameTap.h>

#include <platform/LineLock.h>
#include <platform/SerialPort.h>

#include <atomic>
#include <memory>
#include <span>

namespace tern {

class CLocalModbus : public CModbus {
public:
    enum TransmissionModes : uint16_t { kRtu = 0, kAscii = 1 };
    enum FlowControlBits : uint8_t { kDtrDsr = 1, kRtsCts = 2, kXonXoff = 4 };

    // Opens "COMn" through the platform's port map with a termios port.
    CLocalModbus();
    // Uses the given port instead (an end of a memory line, a test double);
    // the port must outlive this object.
    explicit CLocalModbus(platform::SerialPort& port);
    ~CLocalModbus() override;

    // port 0: the stored ComPort; baud 0: the stored BaudRate; parity 255:
    // the stored Parity. False when the port number is not 1..8, the device
    // does not open, or the line refuses the settings (the port then stays
    // open, so that IsOpen() tells the caller to Close() it).
    // A device it opens itself is also held under the device's line lock
    // until Close(), kept across a reopen of the same device, so no other
    // program takes the line while this connection has it.
    bool Open(uint8_t port = 0, uint32_t baud = 0, uint8_t parity = 255);
    bool Close();
    // What others are told besides this program's name when they find the
    // line held ("connection XYZ"); set before the first Open().
    void SetLineHolder(const std::string& detail) { lineDetail_ = detail; }
    bool IsOpen() const override;

    uint16_t Exchange(std::vector<uint8_t>& request, size_t requestLength, std::vector<uint8_t>& response,
                      size_t expectedLength, size_t* responseLength = nullptr) override;
    // No framing, no checksum: writes query, then collects up to
    // response.size() bytes for timeOutMs (0: under the port's own time-outs,
    // waiting TimeOut). Result 0 also when nothing arrived.
    uint16_t RawExchange(std::span<const uint8_t> query, std::span<uint8_t> response, size_t& received,
                         uint32_t timeOutMs);
    const char* GetRuntimeClassName() const override { return "CLocalModbus"; }

    // Character time Tc (at least 1) and minimum silent interval Ts, in ms.
    static uint32_t characterTime(uint8_t byteSize, uint32_t baudRate);
    static uint32_t silentTime(uint8_t byteSize, uint32_t baudRate);

    uint8_t GetByteSize() const { return byteSize_; }
    void SetByteSize(uint8_t v) { byteSize_ = v; }
    uint32_t GetTimeOut() const { return timeOut_; }
    void SetTimeOut(uint32_t ms) { timeOut_ = ms; }
    uint32_t GetSilentInterval() const { return silentInterval_; }
    void SetSilentInterval(uint32_t ms) { silentInterval_ = ms; }
    uint8_t GetComPort() const { return comPort_; }
    void SetComPort(uint8_t v) { comPort_ = v; }
    uint32_t GetBaudRate() const { return baudRate_; }
    void SetBaudRate(uint32_t v) { baudRate_ = v; }
    uint8_t GetParity() const { return parity_; }
    void SetParity(uint8_t v) { parity_ = v; }
    uint8_t GetFlowControl() const { return flowControl_; }
    void SetFlowControl(uint8_t v) { flowControl_ = v; }
    uint8_t GetStopBits() const { return stopBits_; }
    void SetStopBits(uint8_t v) { stopBits_ = v; }
    uint16_t GetTransmissionMode() const { return transmissionMode_; }
    void SetTransmissionMode(uint16_t v) { transmissionMode_ = v; }

    // A bus monitor told of every exchange (null: none). It must outlive
    // the line or be removed first.
    void SetFrameTap(FrameTap* tap) { tap_ = tap; }

private:
    bool closePort();
    bool holdLine(const std::string& device);
    bool configurePort();
    bool setLineControls();
    platform::CommTimeouts exchangeTimeouts() const;
    bool writeFrame(const uint8_t* data, size_t length);
    uint16_t exchangeRtu(std::vector<uint8_t>& request, size_t requestLength, std::vector<uint8_t>& response,
                         size_t expectedLength, size_t* responseLength);
    bool readKnownLength(uint8_t* buf, size_t length, size_t& got);
    uint16_t decodeRtu(const std::vector<uint8_t>& rx, size_t received, size_t expectedLength,
                       std::vector<uint8_t>& response, size_t* responseLength) const;
    uint16_t exchangeAscii(const std::vector<uint8_t>& request, size_t requestLength,
                           std::vector<uint8_t>& response, size_t* responseLength);
    bool receiveAscii(std::string& rx);
    uint16_t collectRaw(std::span<uint8_t> response, size_t& received, uint32_t waitMs);
    void tapExchange(int64_t startUs, uint16_t code, bool expectsReply);

    std::unique_ptr<platform::SerialPort> ownedPort_;
    platform::SerialPort* port_;
    std::atomic<bool> opened_{false};
    platform::LineLock lineLock_;
    std::string lineDetail_;

    std::atomic<uint8_t> byteSize_{8};
    std::atomic<uint32_t> timeOut_{1000};
    std::atomic<uint32_t> silentInterval_{0};
    std::atomic<uint8_t> comPort_{2};
    std::atomic<uint32_t> baudRate_{9600};
    std::atomic<uint8_t> parity_{0};
    std::atomic<uint8_t> flowControl_{0};
    std::atomic<uint8_t> stopBits_{0};
    std::atomic<uint16_t> transmissionMode_{kRtu};

    std::atomic<FrameTap*> tap_{nullptr};
    std::vector<uint8_t> tappedTx_, tappedRx_;  // the last exchange's wire bytes, under the lock
};

}  // namespace tern
