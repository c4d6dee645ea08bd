#pragma once
// Runs a SioBus on a line in a thread of its own: on any SerialPort (the far
// end of a memory line, a real tty) or on the master side of a
// pseudo-terminal. The runner is the drives' transceiver: it can echo what
// the master sends (a two-wire RS-485 bus hears itself) and pace its replies
// at a baud rate (a pseudo-terminal has no wire time of its own).
#include <sim/sio/SioBus.h>

#include <platform/SerialPort.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace sim {

struct SioRunnerOptions {
    unsigned baud = 0;          // pace replies at this rate; 0: no pacing
    unsigned bitsPerChar = 10;  // 8N1
    bool echo = false;          // send every received byte straight back
};

class SioSimRunner {
public:
    // Byte transport of the runner (SerialPort or a pty master descriptor).
    class Link {
    public:
        virtual ~Link() = default;
        // Up to max bytes, waiting at most timeoutMs for the first; -1 when
        // the line is gone.
        virtual int read(uint8_t* buf, size_t max, int timeoutMs) = 0;
        virtual bool write(const std::string& bytes) = 0;
    };

    // The port is opened by the runner (open("") for a memory end).
    SioSimRunner(SioBus& bus, platform::SerialPort& port, SioRunnerOptions options = {});
    // A pseudo-terminal's master descriptor, owned by the caller.
    SioSimRunner(SioBus& bus, int masterFd, SioRunnerOptions options = {});
    ~SioSimRunner();
    SioSimRunner(const SioSimRunner&) = delete;
    SioSimRunner& operator=(const SioSimRunner&) = delete;

    bool start();
    void stop();
    bool running() const { return thread_.joinable(); }
    // Bytes received from the master so far.
    uint64_t received() const { return received_.load(); }

private:
    void loop();
    void send(const SioBus::Output& o);

    SioBus& bus_;
    platform::SerialPort* port_ = nullptr;
    std::unique_ptr<Link> link_;
    SioRunnerOptions options_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> received_{0};
    std::thread thread_;
};

}  // namespace sim
