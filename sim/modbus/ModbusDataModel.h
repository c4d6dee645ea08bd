#pragma once
// What a simulated Modbus slave serves: the four data tables of every unit on
// the line. The slave (framing, function codes, faults) asks the model and
// answers with what it returns; a model decides which units exist, which
// addresses are valid and which values it accepts.
//
// Every call returns 0 on success or the Modbus exception code the slave sends
// back (1 illegal function, 2 illegal data address, 3 illegal data value,
// 4 slave device failure). A call that fails must leave the tables unchanged,
// so a refused multiple write writes nothing.
//
// Several runners (a pty, TCP clients) may serve one model at the same time:
// implementations must be safe to call from several threads.
#include <cstdint>
#include <span>

namespace sim {

enum ModbusExceptionCode : uint8_t {
    kModbusOk = 0,
    kIllegalFunction = 1,
    kIllegalDataAddress = 2,
    kIllegalDataValue = 3,
    kSlaveDeviceFailure = 4,
};

class ModbusDataModel {
public:
    virtual ~ModbusDataModel() = default;

    // A slave that does not exist on the line stays silent.
    virtual bool hasUnit(uint8_t unit) const = 0;

    // Read out.size() values starting at start (wire addresses, no offset).
    virtual uint8_t readHoldingRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out) = 0;
    virtual uint8_t readInputRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out) = 0;
    // Coils and discrete inputs: one byte per bit, 0 or 1.
    virtual uint8_t readCoils(uint8_t unit, uint16_t start, std::span<uint8_t> out) = 0;
    virtual uint8_t readDiscreteInputs(uint8_t unit, uint16_t start, std::span<uint8_t> out) = 0;

    // Functions 6 and 16 both arrive here (function 6 with one value).
    virtual uint8_t writeHoldingRegisters(uint8_t unit, uint16_t start, std::span<const uint16_t> values) = 0;
    // Functions 5 and 15; any non-zero byte means on.
    virtual uint8_t writeCoils(uint8_t unit, uint16_t start, std::span<const uint8_t> values) = 0;
};

}  // namespace sim
