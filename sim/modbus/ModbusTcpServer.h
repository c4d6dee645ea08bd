#pragma once
// A Modbus/TCP slave on a loopback port: any number of clients, served one
// frame at a time from one thread. A client whose header is not Modbus
// (protocol id not 0, length outside 2..254) is disconnected.
#include <sim/modbus/ModbusReply.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class ModbusTcpServer {
public:
    ModbusTcpServer(ModbusSlave& slave, FaultInjector& faults);
    ~ModbusTcpServer();
    ModbusTcpServer(const ModbusTcpServer&) = delete;
    ModbusTcpServer& operator=(const ModbusTcpServer&) = delete;

    // Binds 127.0.0.1:port (0: a free port) and listens.
    bool listen(uint16_t port, std::string& error);
    uint16_t port() const { return port_; }

    void run(const std::atomic<bool>& stop);
    uint64_t requests() const { return requests_; }

private:
    struct Client {
        int fd;
        std::vector<uint8_t> buffer;
    };
    void accept();
    // False when the client is to be dropped.
    bool receive(Client& client);
    bool serveFrames(Client& client);
    void closeAll();

    ModbusSlave& slave_;
    FaultInjector& faults_;
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::vector<Client> clients_;
    std::atomic<uint64_t> requests_{0};
};

}  // namespace sim
