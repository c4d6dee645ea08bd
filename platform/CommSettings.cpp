#include <platform/CommSettings.h>
#include <platform/ShellSettings.h>

#include <platform/PortMap.h>

#include <array>

namespace platform {

std::string baudPart(const std::string& baud)
{
    static const std::array<const char*, 6> plain = {"1200", "2400", "4800", "9600", "14400", "19200"};
    for (const char* b : plain)
        if (baud == b) return baud + ",";
    if (baud == "38400") return "57600,";
    return {};
}

std::string formatPart(const std::string& protocol) { return protocol == "7E1" ? "E,7,1" : "N,8,1"; }

AppliedComm applySettings(const ShellSettings& s)
{
    AppliedComm a;
    a.portNumber = s.port;
    a.settingsString = baudPart(s.baud) + formatPart(s.protocol);
    a.paneBaud = s.baud;
    a.panePort = comPortName(s.port);
    a.paneProtocol = s.protocol;
    return a;
}

}  // namespace platform
