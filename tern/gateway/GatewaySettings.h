#pragma once
// How a Modbus/TCP gateway serves: where it listens and whom it lets in.
// The defaults are the safe ones: loopback only, a bounded number of
// clients and requests, idle clients dropped.
#include <cstdint>
#include <string>
#include <vector>

namespace tern::gateway {

struct GatewaySettings {
    std::string address = "127.0.0.1";   // the address listened on
    uint16_t port = 502;                 // 0: any free port
    // Client addresses ("192.168.1.20") or networks ("192.168.1.0/24",
    // "fd00::/8") let in; empty: anyone who reaches the address.
    std::vector<std::string> allow;
    bool readOnly = false;               // every write is answered with exception 01
    int maxClients = 16;
    int maxInFlight = 8;                 // a client's requests taken in before its replies
    int idleTimeOutMs = 60000;           // 0: never
};

// "PORT", "ADDRESS:PORT" or "[IPv6]:PORT" into the settings; false with the
// reason when it is none of them.
bool parseListen(const std::string& text, GatewaySettings& settings, std::string& error);

}  // namespace tern::gateway
