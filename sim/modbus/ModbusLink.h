#pragma once
// The byte stream a serial slave serves on: the master side of a
// pseudo-terminal, or any platform::SerialPort (an end of a memory line, a
// real tty).
#include <platform/SerialPort.h>

#include <cstddef>
#include <cstdint>

namespace sim {

class ModbusLink {
public:
    virtual ~ModbusLink() = default;
    // Waits up to timeoutMs for at least one byte; got 0 on time-out. False
    // when the link failed (the serving loop then waits and tries again).
    virtual bool read(uint8_t* buffer, size_t max, size_t& got, int timeoutMs) = 0;
    virtual bool write(const uint8_t* data, size_t length) = 0;
};

// A file descriptor (pty master); not owned.
class FdLink : public ModbusLink {
public:
    explicit FdLink(int fd) : fd_(fd) {}
    bool read(uint8_t* buffer, size_t max, size_t& got, int timeoutMs) override;
    bool write(const uint8_t* data, size_t length) override;

private:
    int fd_;
};

// An open SerialPort; not owned.
class SerialPortLink : public ModbusLink {
public:
    explicit SerialPortLink(platform::SerialPort& port) : port_(port) {}
    bool read(uint8_t* buffer, size_t max, size_t& got, int timeoutMs) override;
    bool write(const uint8_t* data, size_t length) override;

private:
    platform::SerialPort& port_;
    int timeoutMs_ = -1;   // the read time-out last set on the port
};

}  // namespace sim
