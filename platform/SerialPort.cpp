#include <platform/SerialPort.h>

namespace platform {

const char* serialResultText(SerialResult r)
{
    switch (r) {
    case SerialResult::Ok: return "no error";
    case SerialResult::NotOpen: return "the port is not open";
    case SerialResult::NoSuchPort: return "the port does not exist";
    case SerialResult::AccessDenied: return "access to the port is denied or the port is in use";
    case SerialResult::InvalidSetting: return "the port cannot take this setting";
    case SerialResult::Unsupported: return "the device does not support this call";
    case SerialResult::Timeout: return "the write did not complete in time";
    case SerialResult::IoError: return "input/output error on the port";
    case SerialResult::Closed: return "the other end of the line has closed";
    }
    return "unknown serial result";
}

unsigned bitsPerCharacter(const SerialSettings& s)
{
    const unsigned parity = s.parity == Parity::None ? 0 : 1;
    // One and a half stop bits round up: a whole bit is the unit of pacing.
    const unsigned stop = s.stopBits == StopBits::One ? 1 : 2;
    return 1 + s.dataBits + parity + stop;
}

}  // namespace platform
