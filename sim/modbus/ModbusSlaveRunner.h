#pragma once
// A simulated Modbus slave running in its own thread, for tests, the demo and
// the command line: on a pseudo-terminal (ptyPath()), on Modbus/TCP at a
// loopback port (tcpPort()), or on an open SerialPort (an end of a memory
// line). Serves until stop() or destruction.
#include <sim/modbus/ModbusDataModel.h>
#include <sim/modbus/ModbusFaults.h>
#include <sim/modbus/ModbusReply.h>

#include <platform/SerialPort.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace platform {
class PseudoTerminal;
}

namespace sim {

struct ModbusRunnerOptions {
    ModbusFraming framing = ModbusFraming::Rtu;   // serial lines only
    uint32_t paceBaud = 0;                         // serial: pace our output (0: as fast as it goes)
    unsigned bitsPerCharacter = 10;                // for pacing
};

class ModbusLink;
class ModbusSerialServer;
class ModbusSlave;
class ModbusTcpServer;

class ModbusSlaveRunner {
public:
    explicit ModbusSlaveRunner(ModbusDataModel& model, ModbusRunnerOptions options = {});
    ~ModbusSlaveRunner();
    ModbusSlaveRunner(const ModbusSlaveRunner&) = delete;
    ModbusSlaveRunner& operator=(const ModbusSlaveRunner&) = delete;

    // Each start* runs one server; false (with the reason) when it cannot.
    bool startPty(std::string& error);
    bool startTcp(uint16_t port, std::string& error);
    // The port must be open and outlive the runner (or its stop()).
    bool startSerial(platform::SerialPort& port, std::string& error);
    void stop();
    bool running() const { return thread_.joinable(); }

    const std::string& ptyPath() const;
    uint16_t tcpPort() const;
    FaultInjector& faults() { return faults_; }
    // Frames received so far (answered, refused or dropped).
    uint64_t requests() const;

private:
    bool startSerialLoop(std::unique_ptr<ModbusLink> link, std::string& error);

    ModbusDataModel& model_;
    ModbusRunnerOptions options_;
    FaultInjector faults_;
    std::unique_ptr<ModbusSlave> slave_;
    std::unique_ptr<platform::PseudoTerminal> pty_;
    std::unique_ptr<ModbusLink> link_;
    std::unique_ptr<ModbusSerialServer> serial_;
    std::unique_ptr<ModbusTcpServer> tcp_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace sim
