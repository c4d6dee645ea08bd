#pragma once
// Why a port could not be used, in words a user can act on: the device is
// named, and the text says what to do (join the group dialout, plug the
// adapter in, close the program that holds the line, check the server).
#include <string>

namespace platform {

// The program that holds a serial device, as "kestrel (process 4711)", from
// the flock() table, a UUCP lock file or the open descriptors we may see;
// empty when none can be found.
std::string portHolder(const std::string& device);

// The text for a failed open() of a local device with errno `error`.
std::string localOpenProblem(const std::string& device, int error);
// The same when the device is open but held by another program (its lock).
std::string heldPortProblem(const std::string& device);
// The line went away while in use (adapter unplugged, server gone).
std::string lostLineProblem(const std::string& device);

// "COM3 (/dev/ttyUSB0): <problem>" for messages that start from a COM number.
std::string withPortName(const std::string& portName, const std::string& problem);

// A program's own message about a failed line, followed by what is known
// about the port (unchanged when nothing is).
std::string addPortProblem(const std::string& message, const std::string& problem);

}  // namespace platform
