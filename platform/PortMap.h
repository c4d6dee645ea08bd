#pragma once
// "COMn" -> device path. Messages and settings keep the Windows names; the
// device behind each number is a setting:
//   1. environment variable AVIARY_COM<n> (tests, the demo)
//   2. [Ports] COM<n>= in ports.ini of the registry directory (RegistryStore)
//   3. /dev/ttyS<n-1>
#include <string>

namespace platform {

std::string comPortName(int n);            // "COM3"
std::string comPortDevice(int n);          // "/dev/ttyS2" or the configured path
bool setComPortDevice(int n, const std::string& device);  // writes ports.ini

}  // namespace platform
