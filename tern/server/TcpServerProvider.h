#pragma once
// Where a ModBusLink object finds the Modbus/TCP gateway of its serial
// connection (the TcpServer property and CreateTCPServer). The gateway
// lives above the server, so the program hands the server one of these;
// without it both members answer with no object, as an automation server
// without a gateway does.
#include <string>

namespace tern::server {

class CConnection;

class TcpServerProvider {
public:
    virtual ~TcpServerProvider() = default;
    // The object path of the connection's gateway; with create, a new one
    // when it has none. Empty: no object.
    virtual std::string tcpServerFor(CConnection& connection, bool create) = 0;
};

}  // namespace tern::server
