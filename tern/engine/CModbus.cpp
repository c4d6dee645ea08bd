#include <tern/engine/CModbus.h>

#include <tern/engine/CModbusException.h>

#include <platform/Clock.h>

#include <chrono>

namespace tern {
namespace {

constexpr uint8_t kReadCoils = 0x01;
constexpr uint8_t kReadDiscreteInputs = 0x02;
constexpr uint8_t kReadHoldingRegisters = 0x03;
constexpr uint8_t kReadInputRegisters = 0x04;
constexpr uint8_t kWriteSingleCoil = 0x05;
constexpr uint8_t kWriteSingleRegister = 0x06;
constexpr uint8_t kWriteMultipleCoils = 0x0F;
constexpr uint8_t kWriteMultipleRegisters = 0x10;

void appendWord(std::vector<uint8_t>& frame, uint16_t word) {
    frame.push_back(static_cast<uint8_t>(word >> 8));
    frame.push_back(static_cast<uint8_t>(word & 0xFF));
}

// Slave address, function code and two big-endian words: the head that every
// supported request starts with.
std::vector<uint8_t> requestHead(uint8_t slave, uint8_t function, uint16_t first, uint16_t second) {
    std::vector<uint8_t> frame{slave, function};
    appendWord(frame, first);
    appendWord(frame, second);
    return frame;
}

size_t bitBytes(uint16_t quantity) { return (static_cast<size_t>(quantity) + 7) / 8; }

uint8_t functionOf(CModbus::RegisterTable table) {
    return table == CModbus::RegisterTable::Holding ? kReadHoldingRegisters : kReadInputRegisters;
}

}  // namespace

CModbus::Lock::Lock(CModbus& owner, uint32_t timeOutMs)
    : owner_(owner), owns_(owner.lock_.try_lock_for(std::chrono::milliseconds(timeOutMs))) {}

CModbus::Lock::~Lock() {
    if (owns_) owner_.lock_.unlock();
}

uint16_t CModbus::failed(uint16_t code) const {
    const uint32_t pause = delay_;
    if (code != result::kOk && pause != 0) platform::sleepMs(pause);
    return code;
}

std::string CModbus::GetErrorText(uint16_t code) const { return modbusResultText(code); }

uint16_t CModbus::checkResponse(const std::vector<uint8_t>& request, const std::vector<uint8_t>& response,
                                size_t received, size_t expectedLength, Echo echo) {
    const size_t echoed = echo == Echo::FirstSix ? 6 : 2;
    // A frame shorter than the caller needs (possible in ASCII and TCP, whose
    // length comes from the slave) would decode bytes the slave never sent.
    if (received < expectedLength || response.size() < expectedLength || response.size() < echoed) {
        return result::kInvalidResponse;
    }
    for (size_t i = 0; i < echoed; ++i) {
        if (response[i] != request[i]) return result::kInvalidResponse;
    }
    return result::kOk;
}

uint16_t CModbus::transact(std::vector<uint8_t>& request, size_t expectedLength, Echo echo,
                           std::vector<uint8_t>& response) {
    const size_t bodyLength = request.size();
    const int attempts = retries_ > 1 ? retries_.load() : 1;
    uint16_t code = result::kOk;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        size_t received = 0;
        code = Exchange(request, bodyLength, response, expectedLength, &received);
        if (code == result::kOk) code = checkResponse(request, response, received, expectedLength, echo);
        if (code == result::kOk) break;
    }
    if (code != result::kOk && throwExceptions_) throw CModbusException(GetErrorText(code), code);
    return code;
}

uint16_t CModbus::readBits(uint8_t function, uint8_t slave, uint16_t start, uint16_t quantity,
                           std::vector<uint8_t>& values) {
    std::vector<uint8_t> request = requestHead(slave, function, start, quantity);
    std::vector<uint8_t> response;
    const uint16_t code = transact(request, 3 + bitBytes(quantity), Echo::AddressAndFunction, response);
    values.assign(quantity, 0);
    if (code != result::kOk) return code;
    for (size_t i = 0; i < quantity; ++i) values[i] = (response[3 + i / 8] >> (i % 8)) & 1;
    return code;
}

uint16_t CModbus::readWords(uint8_t function, uint8_t slave, uint16_t start, uint16_t quantity,
                            std::vector<uint16_t>& values) {
    std::vector<uint8_t> request = requestHead(slave, function, start, quantity);
    std::vector<uint8_t> response;
    const uint16_t code = transact(request, 3 + 2 * static_cast<size_t>(quantity), Echo::AddressAndFunction,
                                   response);
    values.assign(quantity, 0);
    if (code != result::kOk) return code;
    for (size_t j = 0; j < quantity; ++j) {
        values[j] = static_cast<uint16_t>(response[3 + 2 * j] << 8 | response[4 + 2 * j]);
    }
    return code;
}

uint16_t CModbus::ReadOutputStatus(uint8_t slave, uint16_t start, uint16_t quantity, std::vector<uint8_t>& values) {
    return readBits(kReadCoils, slave, start, quantity, values);
}

uint16_t CModbus::ReadInputStatus(uint8_t slave, uint16_t start, uint16_t quantity, std::vector<uint8_t>& values) {
    return readBits(kReadDiscreteInputs, slave, start, quantity, values);
}

uint16_t CModbus::ReadOutputRegisters(uint8_t slave, uint16_t start, uint16_t quantity,
                                      std::vector<uint16_t>& values) {
    return readWords(kReadHoldingRegisters, slave, start, quantity, values);
}

uint16_t CModbus::ReadInputRegisters(uint8_t slave, uint16_t start, uint16_t quantity,
                                     std::vector<uint16_t>& values) {
    return readWords(kReadInputRegisters, slave, start, quantity, values);
}

uint16_t CModbus::ForceSingleCoil(uint8_t slave, uint16_t coil, int state) {
    std::vector<uint8_t> request = requestHead(slave, kWriteSingleCoil, coil, state == 1 ? 0xFF00 : 0x0000);
    std::vector<uint8_t> response;
    return transact(request, 6, Echo::FirstSix, response);
}

uint16_t CModbus::PresetSingleRegister(uint8_t slave, uint16_t reg, uint16_t value) {
    std::vector<uint8_t> request = requestHead(slave, kWriteSingleRegister, reg, value);
    std::vector<uint8_t> response;
    return transact(request, 6, Echo::FirstSix, response);
}

uint16_t CModbus::ForceMultipleCoils(uint8_t slave, uint16_t start, uint16_t quantity,
                                     std::span<const uint8_t> values) {
    std::vector<uint8_t> request = requestHead(slave, kWriteMultipleCoils, start, quantity);
    const size_t byteCount = bitBytes(quantity);
    request.push_back(static_cast<uint8_t>(byteCount));
    request.resize(request.size() + byteCount, 0);
    for (size_t i = 0; i < quantity && i < values.size(); ++i) {
        if (values[i] != 0) request[7 + i / 8] |= static_cast<uint8_t>(1u << (i % 8));
    }
    std::vector<uint8_t> response;
    return transact(request, 6, Echo::FirstSix, response);
}

uint16_t CModbus::PresetMultipleRegisters(uint8_t slave, uint16_t start, uint16_t quantity,
                                          std::span<const uint16_t> values) {
    std::vector<uint8_t> request = requestHead(slave, kWriteMultipleRegisters, start, quantity);
    request.push_back(static_cast<uint8_t>(2 * quantity));  // the low 8 bits, as the slave expects them
    for (size_t i = 0; i < quantity; ++i) appendWord(request, i < values.size() ? values[i] : 0);
    std::vector<uint8_t> response;
    return transact(request, 6, Echo::FirstSix, response);
}

std::vector<uint16_t> wordsFromValue(uint64_t value, unsigned wordCount, bool highWordFirst) {
    std::vector<uint16_t> words(wordCount);
    for (unsigned k = 0; k < wordCount; ++k) {
        // k counts from the least significant word.
        const auto word = static_cast<uint16_t>(value >> (16 * k));
        words[highWordFirst ? wordCount - 1 - k : k] = word;
    }
    return words;
}

uint64_t valueFromWords(const uint16_t* words, unsigned wordCount, bool highWordFirst) {
    uint64_t value = 0;
    for (unsigned k = 0; k < wordCount; ++k) {
        const uint16_t word = words[highWordFirst ? wordCount - 1 - k : k];
        value |= static_cast<uint64_t>(word) << (16 * k);
    }
    return value;
}

uint16_t CModbus::readWide(RegisterTable table, uint8_t slave, uint16_t start, uint16_t quantity,
                           unsigned wordsPerValue, bool highWordFirst, std::vector<uint64_t>& values) {
    std::vector<uint16_t> words;
    const auto registers = static_cast<uint16_t>(quantity * wordsPerValue);
    const uint16_t code = readWords(functionOf(table), slave, start, registers, words);
    values.assign(quantity, 0);
    if (code != result::kOk) return code;
    for (size_t i = 0; i < quantity && (i + 1) * wordsPerValue <= words.size(); ++i) {
        values[i] = valueFromWords(&words[i * wordsPerValue], wordsPerValue, highWordFirst);
    }
    return code;
}

uint16_t CModbus::ReadRegisters32(RegisterTable table, uint8_t slave, uint16_t start, uint16_t quantity,
                                  bool highWordFirst, std::vector<uint32_t>& values) {
    std::vector<uint64_t> wide;
    const uint16_t code = readWide(table, slave, start, quantity, 2, highWordFirst, wide);
    values.assign(wide.begin(), wide.end());
    return code;
}

uint16_t CModbus::ReadRegisters64(RegisterTable table, uint8_t slave, uint16_t start, uint16_t quantity,
                                  bool highWordFirst, std::vector<uint64_t>& values) {
    return readWide(table, slave, start, quantity, 4, highWordFirst, values);
}

uint16_t CModbus::presetWide(uint8_t slave, uint16_t start, uint16_t quantity, unsigned wordsPerValue,
                             bool highWordFirst, std::span<const uint64_t> values) {
    std::vector<uint16_t> registers;
    registers.reserve(static_cast<size_t>(quantity) * wordsPerValue);
    for (size_t i = 0; i < quantity; ++i) {
        const std::vector<uint16_t> words = wordsFromValue(i < values.size() ? values[i] : 0, wordsPerValue,
                                                           highWordFirst);
        registers.insert(registers.end(), words.begin(), words.end());
    }
    const auto registerCount = static_cast<uint16_t>(registers.size());
    return PresetMultipleRegisters(slave, start, registerCount, registers);
}

uint16_t CModbus::PresetRegisters32(uint8_t slave, uint16_t start, uint16_t quantity, bool highWordFirst,
                                    std::span<const uint32_t> values) {
    const std::vector<uint64_t> wide(values.begin(), values.end());
    return presetWide(slave, start, quantity, 2, highWordFirst, wide);
}

uint16_t CModbus::PresetRegisters64(uint8_t slave, uint16_t start, uint16_t quantity, bool highWordFirst,
                                    std::span<const uint64_t> values) {
    return presetWide(slave, start, quantity, 4, highWordFirst, values);
}

uint16_t CModbus::PresetRegister32(uint8_t slave, uint16_t start, bool highWordFirst, uint32_t value) {
    const uint64_t wide = value;
    return presetWide(slave, start, 1, 2, highWordFirst, std::span<const uint64_t>(&wide, 1));
}

uint16_t CModbus::PresetRegister64(uint8_t slave, uint16_t start, bool highWordFirst, uint64_t value) {
    return presetWide(slave, start, 1, 4, highWordFirst, std::span<const uint64_t>(&value, 1));
}

}  // namespace tern
