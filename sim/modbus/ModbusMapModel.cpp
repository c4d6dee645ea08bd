#include <sim/modbus/ModbusMapModel.h>

#include <platform/ParseInt.h>

#include <fstream>
#include <sstream>

namespace sim {
namespace {

bool parseTable(const std::string& word, ModbusTable& table) {
    static const std::map<std::string, ModbusTable> kNames{
        {"coil", ModbusTable::Coils},
        {"discrete", ModbusTable::DiscreteInputs},
        {"input", ModbusTable::InputRegisters},
        {"holding", ModbusTable::HoldingRegisters},
    };
    const auto it = kNames.find(word);
    if (it == kNames.end()) return false;
    table = it->second;
    return true;
}

// Decimal, 0x hexadecimal or 0 octal, as C reads them.
bool parseNumber(const std::string& word, unsigned long limit, unsigned long& value) {
    const auto n = platform::parseInt<unsigned long>(word, 0ul, limit, 0);
    if (n) value = *n;
    return n.has_value();
}

struct Entry {
    ModbusTable table;
    uint8_t unit;
    uint32_t address;
    std::vector<uint16_t> values;
};

// One line of a registers file; the reason in error when it is not valid.
bool parseLine(const std::string& line, uint32_t tableSize, Entry& entry, std::string& error) {
    std::istringstream in(line);
    std::string tableWord, unitWord, addressWord, valueWord;
    in >> tableWord >> unitWord >> addressWord;
    unsigned long unit = 0, address = 0, value = 0;
    if (!parseTable(tableWord, entry.table)) return error = "unknown table '" + tableWord + "'", false;
    if (!parseNumber(unitWord, 255, unit)) return error = "bad unit '" + unitWord + "'", false;
    if (!parseNumber(addressWord, tableSize - 1, address)) return error = "bad address '" + addressWord + "'", false;
    const bool bits = entry.table == ModbusTable::Coils || entry.table == ModbusTable::DiscreteInputs;
    while (in >> valueWord) {
        if (!parseNumber(valueWord, bits ? 1 : 0xFFFF, value)) return error = "bad value '" + valueWord + "'", false;
        entry.values.push_back(static_cast<uint16_t>(value));
    }
    if (entry.values.empty()) return error = "no value", false;
    if (address + entry.values.size() > tableSize) return error = "values run past the table end", false;
    entry.unit = static_cast<uint8_t>(unit);
    entry.address = static_cast<uint32_t>(address);
    return true;
}

}  // namespace

ModbusMapModel::ModbusMapModel(std::vector<uint8_t> units, uint32_t tableSize)
    : units_(units.begin(), units.end()), tableSize_(tableSize > 0x10000 ? 0x10000 : tableSize) {}

void ModbusMapModel::addUnit(uint8_t unit) {
    std::lock_guard guard(mutex_);
    units_.insert(unit);
}

std::vector<uint8_t> ModbusMapModel::units() const {
    std::lock_guard guard(mutex_);
    return {units_.begin(), units_.end()};
}

bool ModbusMapModel::hasUnit(uint8_t unit) const {
    std::lock_guard guard(mutex_);
    return units_.count(unit) != 0;
}

uint16_t ModbusMapModel::valueLocked(ModbusTable table, uint8_t unit, uint16_t address) const {
    const auto it = values_.find(Key{table, unit, address});
    return it == values_.end() ? 0 : it->second;
}

uint16_t ModbusMapModel::value(ModbusTable table, uint8_t unit, uint16_t address) const {
    std::lock_guard guard(mutex_);
    return valueLocked(table, unit, address);
}

void ModbusMapModel::setValue(ModbusTable table, uint8_t unit, uint16_t address, uint16_t value) {
    std::lock_guard guard(mutex_);
    values_[Key{table, unit, address}] = value;
}

void ModbusMapModel::fill() {
    std::lock_guard guard(mutex_);
    for (uint8_t unit : units_) {
        for (uint32_t a = 0; a < tableSize_; ++a) {
            const auto address = static_cast<uint16_t>(a);
            values_[Key{ModbusTable::HoldingRegisters, unit, address}] = static_cast<uint16_t>(a + 1000u * unit);
            values_[Key{ModbusTable::InputRegisters, unit, address}] = static_cast<uint16_t>(a + 1000u * unit + 500);
            values_[Key{ModbusTable::Coils, unit, address}] = a % 2;
            values_[Key{ModbusTable::DiscreteInputs, unit, address}] = (a + 1) % 2;
        }
    }
}

bool ModbusMapModel::loadText(const std::string& text, std::string& error) {
    std::istringstream in(text);
    std::vector<Entry> entries;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        Entry entry;
        std::string reason;
        if (!parseLine(line, tableSize_, entry, reason)) {
            error = std::to_string(number) + ": " + reason;
            return false;
        }
        entries.push_back(std::move(entry));
    }
    std::lock_guard guard(mutex_);
    for (const Entry& e : entries) {
        units_.insert(e.unit);
        for (size_t i = 0; i < e.values.size(); ++i) {
            values_[Key{e.table, e.unit, static_cast<uint16_t>(e.address + i)}] = e.values[i];
        }
    }
    return true;
}

bool ModbusMapModel::loadFile(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!loadText(text.str(), error)) {
        error = path + ":" + error;
        return false;
    }
    return true;
}

uint8_t ModbusMapModel::check(uint8_t unit, uint16_t start, size_t count) const {
    if (units_.count(unit) == 0) return kSlaveDeviceFailure;
    if (static_cast<size_t>(start) + count > tableSize_) return kIllegalDataAddress;
    return kModbusOk;
}

template <typename T>
uint8_t ModbusMapModel::read(ModbusTable table, uint8_t unit, uint16_t start, std::span<T> out) const {
    std::lock_guard guard(mutex_);
    if (const uint8_t code = check(unit, start, out.size())) return code;
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<T>(valueLocked(table, unit, static_cast<uint16_t>(start + i)));
    }
    return kModbusOk;
}

uint8_t ModbusMapModel::readHoldingRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out) {
    return read(ModbusTable::HoldingRegisters, unit, start, out);
}

uint8_t ModbusMapModel::readInputRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out) {
    return read(ModbusTable::InputRegisters, unit, start, out);
}

uint8_t ModbusMapModel::readCoils(uint8_t unit, uint16_t start, std::span<uint8_t> out) {
    return read(ModbusTable::Coils, unit, start, out);
}

uint8_t ModbusMapModel::readDiscreteInputs(uint8_t unit, uint16_t start, std::span<uint8_t> out) {
    return read(ModbusTable::DiscreteInputs, unit, start, out);
}

uint8_t ModbusMapModel::writeHoldingRegisters(uint8_t unit, uint16_t start, std::span<const uint16_t> values) {
    std::lock_guard guard(mutex_);
    if (const uint8_t code = check(unit, start, values.size())) return code;
    for (size_t i = 0; i < values.size(); ++i) {
        values_[Key{ModbusTable::HoldingRegisters, unit, static_cast<uint16_t>(start + i)}] = values[i];
    }
    return kModbusOk;
}

uint8_t ModbusMapModel::writeCoils(uint8_t unit, uint16_t start, std::span<const uint8_t> values) {
    std::lock_guard guard(mutex_);
    if (const uint8_t code = check(unit, start, values.size())) return code;
    for (size_t i = 0; i < values.size(); ++i) {
        values_[Key{ModbusTable::Coils, unit, static_cast<uint16_t>(start + i)}] = values[i] != 0 ? 1 : 0;
    }
    return kModbusOk;
}

}  // namespace sim
