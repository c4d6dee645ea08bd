#pragma once
// The communication dialog's own serial control: which of COM1..COM4 open at
// all, and whether the chosen one leads to an RS-485 adapter that reports its
// direction line back (RTS raised -> CTS on, RTS dropped -> CTS off).
#include <kestrel/core/CMSComm.h>
#include <platform/SerialPort.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace kestrel {

// The line behind COMn for the dialog's control; nullptr: the device that
// the port number maps to. Tests hand in memory-line ends.
using PortSource = std::function<platform::SerialPort*(int port)>;

constexpr int kDialogPorts = 4;

// Availability of COM1..COM4 (index 0 is COM1): each one opened and closed.
std::array<bool, kDialogPorts> probePorts(const PortSource& source);

enum PortTestResult { PortUntested = 0, PortOtherDevice = 1, PortGood = 2 };

struct PortTestTiming {
    uint32_t afterRaiseMs = 20;
    uint32_t afterDropMs = 100;
};

// Raises RTS, looks at CTS, drops RTS, looks again. Without RTS mode the
// control only keeps RTS in a shadow that also answers for CTS, so the test
// then always ends good. Shows "Network not responding !" or the other-device
// message itself; returns the result.
int runPortTest(const PortSource& source, int port, const std::string& settingsString, bool rtsMode,
                PortTestTiming timing = {});

}  // namespace kestrel
