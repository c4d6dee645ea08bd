#pragma once
// A serial line behind a serial device server, reached over TCP:
//   tcp://host:port      raw bytes; the server's own settings hold
//   rfc2217://host:port  Telnet with COM-port control: speed, size, parity,
//                        stop bits and RTS/DTR are set through the server
// Same SerialPort contract as a local device, so everything above (Kestrel's
// control, Tern's transports, the backup tool) runs on it unchanged. The
// server has no modem lines to report reliably, so cts() is Unsupported (as
// on a pty: callers then take CTS from their own RTS).
#include <platform/ComPortTelnet.h>
#include <platform/LinePortState.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>

namespace platform {

struct RemoteAddress {
    bool rfc2217 = false;
    std::string host;
    std::string port;
};
// nullopt unless `device` is tcp://host:port or rfc2217://host:port.
std::optional<RemoteAddress> parseRemoteAddress(const std::string& device);

class RemoteSerialPort : public LinePortState {
public:
    // connectMs bounds the connection and every wait for the server's
    // answers; allowanceMs is what latencyAllowanceMs() reports.
    explicit RemoteSerialPort(uint32_t allowanceMs = 20, uint32_t connectMs = 3000);
    ~RemoteSerialPort() override;

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

    uint32_t latencyAllowanceMs() const override { return allowanceMs_; }

private:
    template <class Call>
    SerialResult withFd(Call&& call);
    SerialResult connectTo(const RemoteAddress& a, int& fd);
    // Reads what the socket holds without waiting (readLock_ held).
    SerialResult pullInput(int fd);
    SerialResult sendRaw(int fd, const std::string& bytes);
    void acknowledgeAtOnce(int fd);
    // Sends the line settings and waits for the server's answers.
    SerialResult applyLine(int fd, const SerialSettings& s);

    const uint32_t allowanceMs_;
    const uint32_t connectMs_;
    std::shared_mutex fdLock_;
    std::atomic<int> fd_{-1};
    bool rfc2217_ = false;
    std::string device_;


    std::mutex readLock_;
    std::deque<uint8_t> pending_;
    // False once the socket refused a TCP option: the line then works, only
    // slower, and the option is not asked for again.
    bool tunable_ = true;
    ComPortTelnet telnet_;
    std::mutex writeLock_;
};

}  // namespace platform
