#pragma once
// "tern --gateway LISTEN --line COMn [options]": the link server run
// headless as a Modbus/TCP gateway for one serial line (a cabinet PC, a
// systemd service). It serves the line's connection to TCP masters and,
// when a session bus is there, to bus clients as well, and runs until
// SIGTERM or SIGINT.
#include <tern/gateway/GatewaySettings.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tern::gateway {

struct GatewayOptions {
    GatewaySettings settings;
    int comPort = 0;
    uint32_t baudRate = 9600;
    uint8_t parity = 0;           // 0 none, 1 odd, 2 even
    uint8_t stopBits = 0;         // 0 one, 2 two
    bool ascii = false;
    uint32_t timeOutMs = 1000;
    std::string connection = "XYZ";  // the name bus clients open to share the line
    bool bus = true;
};

extern const char* const kGatewayUsage;

// Whether the arguments ask for the gateway at all.
bool wantsGateway(const std::vector<std::string>& args);
// The arguments after the program name; false with the reason.
bool parseGatewayCommandLine(const std::vector<std::string>& args, GatewayOptions& options, std::string& error);
// Runs the gateway; the process's exit status.
int runGateway(int argc, char** argv, const GatewayOptions& options);

}  // namespace tern::gateway
