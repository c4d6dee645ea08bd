#pragma once
// The communication dialog's port checks: which of COM1..COM4 open at all,
// and whether the chosen one leads to an RS-485 adapter that reports its
// direction line back (RTS raised -> CTS on, RTS dropped -> CTS off).
// These work on the serial line itself; a program whose own serial control
// has rules of its own (Kestrel's) runs the checks through that control.
#include <platform/SerialPort.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace shell {

// The line behind COMn for the dialog's checks; nullptr: the device that
// the port number maps to. Tests hand in memory-line ends.
using PortSource = std::function<platform::SerialPort*(int port)>;

constexpr int kDialogPorts = 4;

enum PortTestResult { PortUntested = 0, PortOtherDevice = 1, PortGood = 2 };

struct PortTestTiming {
    uint32_t afterRaiseMs = 20;
    uint32_t afterDropMs = 100;
};

// Availability of COM1..COM4 (index 0 is COM1): each one opened and closed.
std::array<bool, kDialogPorts> probePorts(const PortSource& source);

// Raises RTS, looks at CTS, drops RTS, looks again. A line without modem
// lines (a pseudo-terminal) answers CTS with the RTS it was given, so the
// test then ends good. Shows "Network not responding !" or the other-device
// message itself; returns the result.
int runPortTest(const PortSource& source, int port, const std::string& settingsString, PortTestTiming timing = {});

// The RTS/CTS sequence on an open line, however the line is reached.
int directionTest(const std::function<void(bool)>& setRts, const std::function<bool()>& cts, PortTestTiming timing);

// The two messages of a finished test, shown for any implementation; a
// port that did not open adds its problem (device and remedy).
void reportPortTest(int result, const std::string& problem = {});

}  // namespace shell
