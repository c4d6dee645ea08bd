#pragma once
// The protocol side of a simulated slave: one request frame body (unit,
// function, data; no checksum, no TCP header) in, the response frame body
// out. Framing, pacing and faults belong to the runners around it.
#include <sim/modbus/ModbusDataModel.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

class ModbusSlave {
public:
    // What to do with a request for a unit the model does not have: on a
    // serial line nobody answers; a TCP gateway answers exception 0x0B.
    enum class AbsentUnit { Silent, GatewayException };

    explicit ModbusSlave(ModbusDataModel& model, AbsentUnit absent = AbsentUnit::Silent);

    // No value: no response is sent (broadcast to unit 0, an absent unit on
    // a serial line, a body too short to name a function).
    std::optional<std::vector<uint8_t>> handle(std::span<const uint8_t> request);

    ModbusDataModel& model() { return model_; }

private:
    uint8_t readBits(uint8_t function, std::span<const uint8_t> request, std::vector<uint8_t>& response);
    uint8_t readRegisters(uint8_t function, std::span<const uint8_t> request, std::vector<uint8_t>& response);
    uint8_t writeSingleCoil(std::span<const uint8_t> request, std::vector<uint8_t>& response);
    uint8_t writeSingleRegister(std::span<const uint8_t> request, std::vector<uint8_t>& response);
    uint8_t writeCoils(std::span<const uint8_t> request, std::vector<uint8_t>& response);
    uint8_t writeRegisters(std::span<const uint8_t> request, std::vector<uint8_t>& response);
    uint8_t dispatch(std::span<const uint8_t> request, std::vector<uint8_t>& response);

    ModbusDataModel& model_;
    AbsentUnit absent_;
};

// Exception code sent for a unit that is missing behind a TCP gateway.
constexpr uint8_t kGatewayTargetFailed = 0x0B;

}  // namespace sim
