#pragma once
// SerialPort on termios. Works on real ttys (USB-RS485 adapters, on-board
// UARTs) and on pseudo-terminals. Non-standard rates (14400) go through
// termios2/BOTHER. Break and framing errors are read in-band (PARMRK) and
// reported through takeEvents(). Calls the device refuses (modem lines on a
// pty) answer SerialResult::Unsupported.
#include <platform/LinePortState.h>

#include <platform/ParmrkDecoder.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <shared_mutex>
#include <string>

namespace platform {

class PosixSerialPort : public LinePortState {
public:
    PosixSerialPort();
    ~PosixSerialPort() override;

    SerialResult open(const std::string& device) override;
    SerialResult close() override;
    bool isOpen() const override;

    SerialResult configure(const SerialSettings& settings) override;

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
    enum class Wait { Ready, Woken, Hangup, Failed };
    // Runs call(fd) with the descriptor held open; NotOpen without one.
    template <class Call>
    SerialResult withFd(Call&& call);
    // poll() on fd for `events` (plus the wake-up of close()) until timeoutMs.
    Wait waitFor(int fd, short events, int timeoutMs);
    // Moves what the driver holds into pending_ without waiting (readLock_ held).
    SerialResult pullInput(int fd);
    size_t takePending(uint8_t* buf, size_t max);
    SerialResult modemBits(unsigned long request, int bits);
    void wakeBlockedCalls();
    void clearWake();

    // Readers and writers hold fdLock_ shared for the whole call; open and
    // close hold it exclusively, after waking the blocked calls through
    // wakeFd_, so the descriptor never changes under a running call.
    std::shared_mutex fdLock_;
    std::atomic<int> fd_{-1};
    std::atomic<bool> closing_{false};
    int wakeFd_ = -1;
    std::string device_;
    bool isPty_ = false;


    // Reader side: decoded input not yet handed out, and the decoder of
    // the in-band break and error marks.
    std::mutex readLock_;
    std::deque<uint8_t> pending_;
    ParmrkDecoder decoder_;
    std::atomic<uint32_t> events_{0};
};

}  // namespace platform
