#include <sim/modbus/ModbusSlave.h>

namespace sim {
namespace {

// Largest quantities the protocol lets one frame carry.
constexpr uint16_t kMaxReadBits = 2000;
constexpr uint16_t kMaxReadRegisters = 125;
constexpr uint16_t kMaxWriteBits = 1968;
constexpr uint16_t kMaxWriteRegisters = 123;
constexpr uint8_t kBroadcast = 0;

uint16_t wordAt(std::span<const uint8_t> frame, size_t offset) {
    return static_cast<uint16_t>(frame[offset] << 8 | frame[offset + 1]);
}

void appendWord(std::vector<uint8_t>& frame, uint16_t word) {
    frame.push_back(static_cast<uint8_t>(word >> 8));
    frame.push_back(static_cast<uint8_t>(word & 0xFF));
}

bool rangeFits(uint16_t start, uint16_t quantity) { return static_cast<uint32_t>(start) + quantity <= 0x10000; }

// Address, function, start and quantity, with the quantity in 1..limit.
uint8_t checkHead(std::span<const uint8_t> request, size_t length, uint16_t limit) {
    if (request.size() != length) return kIllegalDataValue;
    const uint16_t quantity = wordAt(request, 4);
    if (quantity == 0 || quantity > limit) return kIllegalDataValue;
    if (!rangeFits(wordAt(request, 2), quantity)) return kIllegalDataAddress;
    return kModbusOk;
}

}  // namespace

ModbusSlave::ModbusSlave(ModbusDataModel& model, AbsentUnit absent) : model_(model), absent_(absent) {}

std::optional<std::vector<uint8_t>> ModbusSlave::handle(std::span<const uint8_t> request) {
    if (request.size() < 2) return std::nullopt;
    const uint8_t unit = request[0];
    const uint8_t function = request[1];
    if (unit != kBroadcast && !model_.hasUnit(unit)) {
        if (absent_ == AbsentUnit::Silent) return std::nullopt;
        return std::vector<uint8_t>{unit, static_cast<uint8_t>(function | 0x80), kGatewayTargetFailed};
    }
    if (unit == kBroadcast) {
        // A broadcast write reaches every unit; nobody answers.
        std::vector<uint8_t> ignored;
        for (unsigned u = 1; u <= 247; ++u) {
            if (!model_.hasUnit(static_cast<uint8_t>(u))) continue;
            std::vector<uint8_t> copy(request.begin(), request.end());
            copy[0] = static_cast<uint8_t>(u);
            dispatch(copy, ignored);
            ignored.clear();
        }
        return std::nullopt;
    }
    std::vector<uint8_t> response{unit, function};
    const uint8_t code = dispatch(request, response);
    if (code != kModbusOk) return std::vector<uint8_t>{unit, static_cast<uint8_t>(function | 0x80), code};
    return response;
}

uint8_t ModbusSlave::dispatch(std::span<const uint8_t> request, std::vector<uint8_t>& response) {
    const uint8_t function = request[1];
    switch (function) {
    case 0x01:
    case 0x02: return readBits(function, request, response);
    case 0x03:
    case 0x04: return readRegisters(function, request, response);
    case 0x05: return writeSingleCoil(request, response);
    case 0x06: return writeSingleRegister(request, response);
    case 0x0F: return writeCoils(request, response);
    case 0x10: return writeRegisters(request, response);
    default: return kIllegalFunction;
    }
}

uint8_t ModbusSlave::readBits(uint8_t function, std::span<const uint8_t> request, std::vector<uint8_t>& response) {
    if (const uint8_t code = checkHead(request, 6, kMaxReadBits)) return code;
    std::vector<uint8_t> bits(wordAt(request, 4));
    const uint8_t unit = request[0];
    const uint16_t start = wordAt(request, 2);
    const uint8_t code = function == 0x01 ? model_.readCoils(unit, start, bits)
                                          : model_.readDiscreteInputs(unit, start, bits);
    if (code != kModbusOk) return code;
    const size_t byteCount = (bits.size() + 7) / 8;
    response.push_back(static_cast<uint8_t>(byteCount));
    response.resize(response.size() + byteCount, 0);
    for (size_t i = 0; i < bits.size(); ++i) {
        if (bits[i]) response[3 + i / 8] |= static_cast<uint8_t>(1u << (i % 8));
    }
    return kModbusOk;
}

uint8_t ModbusSlave::readRegisters(uint8_t function, std::span<const uint8_t> request,
                                   std::vector<uint8_t>& response) {
    if (const uint8_t code = checkHead(request, 6, kMaxReadRegisters)) return code;
    std::vector<uint16_t> words(wordAt(request, 4));
    const uint8_t unit = request[0];
    const uint16_t start = wordAt(request, 2);
    const uint8_t code = function == 0x03 ? model_.readHoldingRegisters(unit, start, words)
                                          : model_.readInputRegisters(unit, start, words);
    if (code != kModbusOk) return code;
    response.push_back(static_cast<uint8_t>(2 * words.size()));
    for (uint16_t w : words) appendWord(response, w);
    return kModbusOk;
}

uint8_t ModbusSlave::writeSingleCoil(std::span<const uint8_t> request, std::vector<uint8_t>& response) {
    if (request.size() != 6) return kIllegalDataValue;
    const uint16_t value = wordAt(request, 4);
    if (value != 0xFF00 && value != 0x0000) return kIllegalDataValue;
    const uint8_t on = value == 0xFF00 ? 1 : 0;
    if (const uint8_t code = model_.writeCoils(request[0], wordAt(request, 2), std::span<const uint8_t>(&on, 1))) {
        return code;
    }
    response.assign(request.begin(), request.end());
    return kModbusOk;
}

uint8_t ModbusSlave::writeSingleRegister(std::span<const uint8_t> request, std::vector<uint8_t>& response) {
    if (request.size() != 6) return kIllegalDataValue;
    const uint16_t value = wordAt(request, 4);
    if (const uint8_t code =
            model_.writeHoldingRegisters(request[0], wordAt(request, 2), std::span<const uint16_t>(&value, 1))) {
        return code;
    }
    response.assign(request.begin(), request.end());
    return kModbusOk;
}

uint8_t ModbusSlave::writeCoils(std::span<const uint8_t> request, std::vector<uint8_t>& response) {
    if (request.size() < 7) return kIllegalDataValue;
    const uint16_t quantity = wordAt(request, 4);
    const size_t byteCount = (quantity + 7u) / 8;
    if (request[6] != byteCount) return kIllegalDataValue;
    if (const uint8_t code = checkHead(request, 7 + byteCount, kMaxWriteBits)) return code;
    std::vector<uint8_t> bits(quantity);
    for (size_t i = 0; i < quantity; ++i) bits[i] = (request[7 + i / 8] >> (i % 8)) & 1;
    if (const uint8_t code = model_.writeCoils(request[0], wordAt(request, 2), bits)) return code;
    response.assign(request.begin(), request.begin() + 6);
    return kModbusOk;
}

uint8_t ModbusSlave::writeRegisters(std::span<const uint8_t> request, std::vector<uint8_t>& response) {
    if (request.size() < 7) return kIllegalDataValue;
    const uint16_t quantity = wordAt(request, 4);
    if (request[6] != 2u * quantity) return kIllegalDataValue;
    if (const uint8_t code = checkHead(request, 7 + 2u * quantity, kMaxWriteRegisters)) return code;
    std::vector<uint16_t> words(quantity);
    for (size_t i = 0; i < quantity; ++i) words[i] = wordAt(request, 7 + 2 * i);
    if (const uint8_t code = model_.writeHoldingRegisters(request[0], wordAt(request, 2), words)) return code;
    response.assign(request.begin(), request.begin() + 6);
    return kModbusOk;
}

}  // namespace sim
