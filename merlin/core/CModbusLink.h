#pragma once
// The link every Merlin window talks to drives through. The real link goes
// through Tern's ModBusLink object; tests use CFakeLink or the simulated
// drive. Drive parameters are holding registers in 4xxxx notation: the link
// takes the register offset n (register - 40000) and puts n - 1 on the wire.
//
// ReadRegister and WriteRegister return 0 on success, otherwise the low 16
// bits of the link server's failure value (0x80040200 + Tern's result code):
// 0x0201 for a time-out, 0x8200 + n for slave exception n; -1 when the call
// to the link server itself failed (server gone, not registered).
#include <cstdint>
#include <string>
#include <vector>

namespace merlin {

constexpr int kLinkOk = 0;
constexpr int kLinkCallFailed = -1;
constexpr int kLinkTimeout = 0x0201;
constexpr int kLinkBadResponse = 0x0202;
constexpr int kLinkChecksumError = 0x0203;
constexpr int kLinkWriteError = 0x0208;    // the port would not send
constexpr int kLinkReadError = 0x0209;     // the port would not receive
constexpr int kLinkPortNotOpen = 0x020A;
constexpr int kLinkBusy = 0x020B;          // the connection stayed busy past the lock time-out
constexpr int linkException(int exceptionCode) { return 0x8200 + exceptionCode; }
// A drive refuses writes with exception 1 while its password is not given.
constexpr int kLinkWriteRefused = linkException(1);
// A failure of the line, the port or the link server rather than the
// drive's own answer (an exception).
constexpr bool isLineFailure(int result)
{
    return result != kLinkOk && !(result > 0x8200 && result <= 0x82FF);
}

// The process-wide settings a link is opened with (registry section "Times",
// port and baud under "Settings").
struct LinkSettings {
    int comPort = 1;
    long baudRate = 9600;
    int retries = 3;
    uint32_t timeoutMs = 1000;
    uint32_t requestDelayMs = 70;
    uint32_t silentIntervalMs = 0;
};

class CModbusLink {
public:
    virtual ~CModbusLink() = default;

    // Opens the shared serial connection with the settings; true when the
    // link server accepted the connection (a port that cannot be opened only
    // shows up as failing register operations).
    virtual bool OpenLink() = 0;
    // The same with a response time-out of its own (the network scan).
    virtual bool OpenLinkWithTimeout(uint32_t timeoutMs) = 0;
    virtual void CloseLink() = 0;
    // Why the link server could not open the port at the last OpenLink
    // (device and remedy); empty when it opened or nothing is known.
    virtual std::string PortProblem() const { return {}; }
    virtual void SetRetries(int retries) = 0;
    // Back to the retries of the settings.
    virtual void RestoreRetries() = 0;

    // Reads one holding register; value is left unchanged on failure.
    virtual int ReadRegister(int station, int registerOffset, uint16_t& value) = 0;
    virtual int WriteRegister(int station, int registerOffset, uint16_t value) = 0;
    // Several consecutive registers (the "Modbus Test" tool). This one reads
    // them one by one and stops at the first failure; a link that can ask
    // for a block in one request does so.
    virtual int ReadRegisters(int station, int registerOffset, int count, std::vector<uint16_t>& values)
    {
        values.clear();
        for (int n = 0; n < count; ++n) {
            uint16_t value = 0;
            const int result = ReadRegister(station, registerOffset + n, value);
            if (result != kLinkOk)
                return result;
            values.push_back(value);
        }
        return kLinkOk;
    }
};

// A register holds 16 bits; a parameter's raw value is an int. Parameters
// whose range reaches below zero are two's complement in the register, all
// others are unsigned, so 0xFFFF is -1 for a signed parameter and 65535
// otherwise.
inline int registerToRaw(uint16_t word, int minimum)
{
    return minimum < 0 ? static_cast<int>(static_cast<int16_t>(word)) : static_cast<int>(word);
}
inline uint16_t rawToRegister(int raw) { return static_cast<uint16_t>(raw); }

}  // namespace merlin
