#pragma once
// Turns the slave's answer into the bytes that go on the line, with the
// faults of the moment applied: serial frames (RTU or ASCII) and Modbus/TCP
// frames (MBAP header + body).
#include <sim/modbus/ModbusFaults.h>
#include <sim/modbus/ModbusSlave.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

enum class ModbusFraming { Rtu, Ascii };

struct ModbusReply {
    std::vector<uint8_t> bytes;
    uint32_t delayMs = 0;
};

// No value: nothing is sent (the slave stays silent, or a fault says so).
std::optional<ModbusReply> serialReply(ModbusSlave& slave, FaultInjector& faults, ModbusFraming framing,
                                       std::span<const uint8_t> request);

// header: the request's 7 header bytes (transaction, protocol, length, unit);
// body: unit and PDU.
std::optional<ModbusReply> tcpReply(ModbusSlave& slave, FaultInjector& faults, std::span<const uint8_t> header,
                                    std::span<const uint8_t> body);

}  // namespace sim
