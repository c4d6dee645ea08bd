#pragma once
// The plain data model: every table of every configured unit is an address
// range [0, tableSize) of values kept in a map (0 until written). Addresses
// outside the range answer "illegal data address". Values can be loaded from
// a registers file or filled with a pattern (fill()).
//
// Registers file, one entry a line, '#' starts a comment:
//   <table> <unit> <address> <value> [<value> ...]
// table: coil | discrete | input | holding; numbers decimal or 0x hex; the
// values go to consecutive addresses. A unit named in the file is added.
#include <sim/modbus/ModbusDataModel.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace sim {

enum class ModbusTable : uint8_t { Coils, DiscreteInputs, InputRegisters, HoldingRegisters };

class ModbusMapModel : public ModbusDataModel {
public:
    explicit ModbusMapModel(std::vector<uint8_t> units = {1}, uint32_t tableSize = 10000);

    void addUnit(uint8_t unit);
    std::vector<uint8_t> units() const;
    uint32_t tableSize() const { return tableSize_; }

    uint16_t value(ModbusTable table, uint8_t unit, uint16_t address) const;
    void setValue(ModbusTable table, uint8_t unit, uint16_t address, uint16_t value);
    // Registers hold address + 1000 * unit (input registers + 500 more),
    // coils and discrete inputs alternate: distinct values that a test can
    // recognise without a file.
    void fill();
    // False, with "<file>:<line>: <reason>", for a file that cannot be read
    // or a bad line; the model then stays as it was.
    bool loadFile(const std::string& path, std::string& error);
    bool loadText(const std::string& text, std::string& error);

    bool hasUnit(uint8_t unit) const override;
    uint8_t readHoldingRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out) override;
    uint8_t readInputRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out) override;
    uint8_t readCoils(uint8_t unit, uint16_t start, std::span<uint8_t> out) override;
    uint8_t readDiscreteInputs(uint8_t unit, uint16_t start, std::span<uint8_t> out) override;
    uint8_t writeHoldingRegisters(uint8_t unit, uint16_t start, std::span<const uint16_t> values) override;
    uint8_t writeCoils(uint8_t unit, uint16_t start, std::span<const uint8_t> values) override;

private:
    using Key = std::tuple<ModbusTable, uint8_t, uint16_t>;

    uint8_t check(uint8_t unit, uint16_t start, size_t count) const;
    template <typename T>
    uint8_t read(ModbusTable table, uint8_t unit, uint16_t start, std::span<T> out) const;
    uint16_t valueLocked(ModbusTable table, uint8_t unit, uint16_t address) const;

    mutable std::mutex mutex_;
    std::set<uint8_t> units_;
    uint32_t tableSize_;
    std::map<Key, uint16_t> values_;
};

}  // namespace sim
