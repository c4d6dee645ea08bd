#pragma once
// "COMn" -> device path. Messages, settings and files name ports "COM1" ..;
// the device behind each number is a setting:
//   1. environment variable AVIARY_COM<n> (tests, the demo)
//   2. [Ports] COM<n>= in ports.ini of the registry directory (RegistryStore)
//   3. /dev/ttyS<n-1>
#include <optional>
#include <string>

namespace platform {

// COM1..COM8 are the numbers a port map entry may carry.
constexpr int kMappedPorts = 8;

std::string comPortName(int n);            // "COM3"
std::string comPortDevice(int n);          // "/dev/ttyS2" or the configured path
bool setComPortDevice(int n, const std::string& device);  // writes ports.ini

// COM<n> mapped to a device in ports.ini for as long as this lives (a tool
// that must hand a device path to the link server, which reads only the port
// map), then the user's own entry is put back, or removed if there was none.
class TemporaryComPort {
public:
    TemporaryComPort(int n, const std::string& device);
    ~TemporaryComPort();
    TemporaryComPort(const TemporaryComPort&) = delete;
    TemporaryComPort& operator=(const TemporaryComPort&) = delete;
    bool ok() const { return ok_; }

private:
    int n_;
    std::optional<std::string> previous_;
    bool ok_ = false;
};

}  // namespace platform
