#pragma once
// The "Ports..." dialog without its window: where COM1..COM8 go now, the
// serial devices found on this machine to choose from, and the save of the
// chosen mapping to ports.ini. A COM number may also go to a serial device
// server (tcp://host:port, rfc2217://host:port), typed in by the user.
#include <platform/Notice.h>
#include <platform/PortCatalog.h>

#include <string>
#include <vector>

namespace shell {

struct PortsView {
    struct Mapping {
        int com = 0;
        std::string device;     // what COMn leads to now
        bool present = false;
        bool fixedByEnvironment = false;   // AVIARY_COMn decides; ports.ini would not count
    };
    std::vector<Mapping> mappings;                    // COM1..COM8
    std::vector<platform::SerialDeviceInfo> devices;  // to choose from
    std::vector<std::string> deviceLabels;            // one per device, as the list shows it
    bool changed = false;
};

// "FTDI USB RS485 Cable, serial FT1234AB (/dev/ttyUSB0)", or the path.
std::string deviceLabel(const platform::SerialDeviceInfo& d);
// What a communication dialog shows beside COMn: the device and, when it
// is missing, that it is.
std::string comEntryText(int com);

class PortsDialogModel {
public:
    explicit PortsDialogModel(std::string devRoot = "/dev");
    const PortsView& view() const { return view_; }

    // COMn is to go to the device at `index` of the list.
    void choose(int com, size_t index);
    // COMn is to go to a path or server address the user typed; refused
    // (with a notice) when it is neither.
    std::vector<platform::Notice> enter(int com, const std::string& text);
    // Writes the changed entries to ports.ini; a notice when it fails.
    std::vector<platform::Notice> save();

private:
    void set(int com, const std::string& device);
    std::string devRoot_;
    PortsView view_;
    std::vector<bool> dirty_;
};

}  // namespace shell
