#pragma once
// SerialPort on termios. Works on real ttys (USB-RS485 adapters, on-board
// UARTs) and on pseudo-terminals. Non-standard rates (14400) go through
// termios2/BOTHER. Break and framing errors are read in-band (PARMRK) and
// reported through takeEvents(). Calls the device refuses (modem lines on a
// pty) answer SerialResult::Unsupported.
#include <platform/SerialPort.h>

#include <mutex>

namespace platform {

class PosixSerialPort : public SerialPort {
public:
    PosixSerialPort();
    ~PosixSerialPort() override;

    SerialResult open(const std::string& device) override;
    SerialResult close() override;
    bool isOpen() const override;

    SerialResult configure(const SerialSettings& settings) override;
    SerialSettings settings() const override;
    SerialResult setTimeouts(const CommTimeouts& timeouts) override;
    CommTimeouts timeouts() const override;

    SerialResult read(uint8_t* buf, size_t max, size_t& got) override;
    SerialResult write(const uint8_t* data, size_t len, size_t& written) override;

    SerialResult setRts(bool on) override;
    SerialResult setDtr(bool on) override;
    SerialResult cts(bool& on) override;

    SerialResult inputQueue(size_t& count) override;
    SerialResult outputQueue(size_t& count) override;
    SerialResult purge(bool input, bool output) override;
    SerialResult drain() override;
    SerialResult sendBreak(unsigned ms) override;
    uint32_t takeEvents() override;

    int fd() const { return fd_; }
    const std::string& device() const { return device_; }

private:
    // private state is the implementer's choice
    int fd_ = -1;
    std::string device_;
    SerialSettings settings_;
    CommTimeouts timeouts_;
};

}  // namespace platform
