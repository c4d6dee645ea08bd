#pragma once
// Per-port options of ports.ini beside the COM mapping:
//
//   [Ports]
//   COM1=/dev/serial/by-id/usb-FTDI_USB-RS485_Cable_FT1234-if00-port0
//   NetworkAllowance=20         ; ms added to reply time-outs on tcp:// and rfc2217://
//   [COM1]
//   RS485=1                     ; kernel RS-485 mode (the driver switches the direction)
//   RS485RtsOnSend=1
//   RS485RtsAfterSend=0
//   RS485DelayBeforeSend=0      ; ms
//   RS485DelayAfterSend=0       ; ms
//   LowLatency=1                ; no 16 ms latency timer on FTDI adapters
//
// Drivers that do not know a mode refuse it; that is worth a line in a debug
// log, never an error: the port works without.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Rs485Mode {
    bool rtsOnSend = true;
    bool rtsAfterSend = false;
    uint32_t delayBeforeSendMs = 0;
    uint32_t delayAfterSendMs = 0;
};

struct LineOptions {
    std::optional<Rs485Mode> rs485;   // nullopt: leave the driver's mode alone
    bool lowLatency = false;
};

// The options of the COM entry that maps to `device`; none when no entry does.
LineOptions lineOptionsFor(const std::string& device);
// The allowance for network lines unless ports.ini says otherwise: enough
// for a plant network; a wide-area link wants more.
constexpr uint32_t kDefaultAllowanceMs = 20;
uint32_t networkAllowanceMs();

// Applies the options to an open tty; returns one note per option the
// driver refused (empty when all took or none was asked for).
std::vector<std::string> applyLineOptions(int fd, const std::string& device, const LineOptions& options);

// Where the refusals go: the program's debug log. The sink answers whether it
// wrote the line (a log that is switched off takes nothing), and each text is
// offered again at the next open until it has been written once, so a program
// that opens its port for every operation does not repeat it. Without a sink
// the notes are dropped; setting an empty sink removes it.
using LineNoteSink = std::function<bool(const std::string& note)>;
void setLineNoteSink(LineNoteSink sink);
void reportLineNote(const std::string& note);

}  // namespace platform
