#include <sim/modbus/ModbusSlaveRunner.h>

#include <sim/modbus/ModbusLink.h>
#include <platform/PseudoTerminal.h>
#include <sim/modbus/ModbusSerialServer.h>
#include <sim/modbus/ModbusSlave.h>
#include <sim/modbus/ModbusTcpServer.h>

namespace sim {

ModbusSlaveRunner::ModbusSlaveRunner(ModbusDataModel& model, ModbusRunnerOptions options)
    : model_(model), options_(options) {}

ModbusSlaveRunner::~ModbusSlaveRunner() { stop(); }

bool ModbusSlaveRunner::startSerialLoop(std::unique_ptr<ModbusLink> link, std::string& error) {
    if (running()) return error = "already running", false;
    link_ = std::move(link);
    slave_ = std::make_unique<ModbusSlave>(model_, ModbusSlave::AbsentUnit::Silent);
    const SerialServeOptions serve{options_.framing, options_.paceBaud, options_.bitsPerCharacter};
    serial_ = std::make_unique<ModbusSerialServer>(*link_, *slave_, faults_, serve);
    stop_ = false;
    thread_ = std::thread([this] { serial_->run(stop_); });
    return true;
}

bool ModbusSlaveRunner::startPty(std::string& error) {
    if (running()) return error = "already running", false;
    auto pty = std::make_unique<platform::PseudoTerminal>();
    if (!pty->open(error)) return false;
    pty_ = std::move(pty);
    return startSerialLoop(std::make_unique<FdLink>(pty_->masterFd()), error);
}

bool ModbusSlaveRunner::startSerial(platform::SerialPort& port, std::string& error) {
    if (!port.isOpen()) return error = "the port is not open", false;
    return startSerialLoop(std::make_unique<SerialPortLink>(port), error);
}

bool ModbusSlaveRunner::startTcp(uint16_t port, std::string& error) {
    if (running()) return error = "already running", false;
    slave_ = std::make_unique<ModbusSlave>(model_, ModbusSlave::AbsentUnit::GatewayException);
    auto tcp = std::make_unique<ModbusTcpServer>(*slave_, faults_);
    if (!tcp->listen(port, error)) return false;
    tcp_ = std::move(tcp);
    stop_ = false;
    thread_ = std::thread([this] { tcp_->run(stop_); });
    return true;
}

void ModbusSlaveRunner::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

const std::string& ModbusSlaveRunner::ptyPath() const {
    static const std::string kNone;
    return pty_ ? pty_->slavePath() : kNone;
}

uint16_t ModbusSlaveRunner::tcpPort() const { return tcp_ ? tcp_->port() : 0; }

uint64_t ModbusSlaveRunner::requests() const {
    if (serial_) return serial_->requests();
    return tcp_ ? tcp_->requests() : 0;
}

}  // namespace sim
