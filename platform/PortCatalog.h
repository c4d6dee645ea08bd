#pragma once
// The serial devices of this machine, for the "Ports..." dialog and the
// communication dialogs: adapters under /dev/serial/by-id (stable names that
// survive re-plugging, with maker, model and serial number) and the
// /dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM* that exist.
#include <string>
#include <vector>

namespace platform {

struct SerialDeviceInfo {
    std::string path;      // what ports.ini should hold: the by-id name where there is one
    std::string device;    // the kernel name it leads to now ("/dev/ttyUSB0")
    std::string maker;     // from the by-id name ("FTDI"), empty for on-board ports
    std::string model;     // "USB-RS485_Cable"
    std::string serial;    // "FT1234AB"
};

// Everything found below `devRoot` ("/dev"; tests hand in a folder of their own).
std::vector<SerialDeviceInfo> listSerialDevices(const std::string& devRoot = "/dev");

// Splits a by-id name ("usb-FTDI_USB-RS485_Cable_FT1234AB-if00-port0") into
// maker, model and serial; false when the name has another form.
bool parseByIdName(const std::string& name, SerialDeviceInfo& out);

// Whether the device a port-map entry names is there now (a remote line
// counts as present: only a connection can tell).
bool devicePresent(const std::string& device);

}  // namespace platform
