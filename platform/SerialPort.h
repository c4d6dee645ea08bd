#pragma once
// The serial line as the rest of the suite sees it. Two implementations:
// PosixSerialPort (termios: real ttys and pseudo-terminals) and the two ends of
// a MemoryLine (tests, simulators). The operations are what CMSComm (Kestrel)
// and CLocalModbus (Tern) are written against: buffer counts, modem lines,
// line events, and reads that end by the time-out rules below.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

enum class SerialResult {
    Ok = 0,
    NotOpen,          // the operation needs an open port
    NoSuchPort,       // the device does not exist
    AccessDenied,     // permission, or the port is held by another process
    InvalidSetting,   // a setting the line cannot take (e.g. 1.5 stop bits)
    Unsupported,      // the device refuses the call (modem lines on a pty)
    Timeout,          // a write did not complete within its time-out
    IoError,          // any other failure of the device
    Closed,           // the other end went away (pty master closed, memory peer closed)
};

const char* serialResultText(SerialResult r);

enum class Parity : uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class StopBits : uint8_t { One = 0, OneAndHalf = 1, Two = 2 };

struct SerialSettings {
    uint32_t baudRate = 9600;
    uint8_t dataBits = 8;               // 5..8
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool rtsCtsFlow = false;            // hardware output flow control by CTS
    bool dtrDsrFlow = false;            // output flow control by DSR (refused: termios has none)
    bool xonXoff = false;               // software flow control both ways
};

// Bits per character on the wire: start + data + parity + stop.
unsigned bitsPerCharacter(const SerialSettings& s);

// Read and write time-outs in milliseconds; kMaxDword marks the special cases.
// The engines pick their reads from these rules:
//  - interval kMaxDword, multiplier 0, constant 0: a read returns at once with
//    what has arrived (possibly nothing);
//  - interval kMaxDword, multiplier kMaxDword, 0 < constant < kMaxDword: a read
//    returns as soon as one byte is there, or after constant ms with nothing;
//  - otherwise: total = multiplier * requested + constant (0 = no total limit);
//    interval = longest silence between two bytes once the first came (0 = none);
//    all zero: a read waits until all requested bytes arrived.
struct CommTimeouts {
    static constexpr uint32_t kMaxDword = 0xFFFFFFFFu;
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

// Line events collected since the last takeEvents(); a bit set.
enum LineEvent : uint32_t {
    EventBreak = 1u << 0,
    EventFraming = 1u << 1,
    EventParity = 1u << 2,
    EventOverrun = 1u << 3,
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the device (a path for PosixSerialPort; ignored by a memory end).
    virtual SerialResult open(const std::string& device) = 0;
    virtual SerialResult close() = 0;
    virtual bool isOpen() const = 0;

    virtual SerialResult configure(const SerialSettings& settings) = 0;
    virtual SerialSettings settings() const = 0;
    virtual SerialResult setTimeouts(const CommTimeouts& timeouts) = 0;
    virtual CommTimeouts timeouts() const = 0;

    // ReadFile under the current time-outs: got = bytes placed in buf (0..max).
    // Ok with got < max is a time-out, not an error: callers read up to a
    // silence and judge what came.
    virtual SerialResult read(uint8_t* buf, size_t max, size_t& got) = 0;
    // WriteFile under the write time-outs; written = bytes handed to the driver.
    virtual SerialResult write(const uint8_t* data, size_t len, size_t& written) = 0;

    virtual SerialResult setRts(bool on) = 0;
    virtual SerialResult setDtr(bool on) = 0;
    virtual SerialResult cts(bool& on) = 0;         // Unsupported where the device has no modem lines

    virtual SerialResult inputQueue(size_t& count) = 0;   // bytes waiting to be read
    virtual SerialResult outputQueue(size_t& count) = 0;  // bytes not yet on the wire
    virtual SerialResult purge(bool input, bool output) = 0;
    virtual SerialResult drain() = 0;                     // waits until the output is sent
    virtual SerialResult sendBreak(unsigned ms) = 0;

    // Returns and clears the LineEvent bits seen since the last call.
    virtual uint32_t takeEvents() = 0;

    // Why the last open() or configure() failed, naming the device and what
    // the user can do about it; empty when there is nothing to say.
    virtual std::string problem() const { return {}; }
    // Extra time a reply needs on this line beyond the wire (a network hop
    // to a serial device server); time-outs add it.
    virtual uint32_t latencyAllowanceMs() const { return 0; }

    // Convenience for callers that think in strings.
    SerialResult writeAll(const std::string& bytes) {
        size_t w = 0;
        return write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), w);
    }
};

}  // namespace platform
