#pragma once
// Tern's Modbus master engine. Each operation builds a request frame body
// (slave address, function code, data: no checksum, no TCP header), hands it
// to the connection's transport for one Exchange, checks what the slave
// echoes, decodes the data and repeats failed attempts up to Retries. Results
// are the 16-bit codes of ModbusResult.h.
//
// The transport is a derived class: CLocalModbus (serial line, RTU or ASCII)
// or CRemoteModbus (Modbus/TCP). One connection object may be shared by
// several threads: every Exchange holds the connection lock, so frames never
// interleave; other callers may run their exchanges between our attempts.
#include <tern/engine/ModbusResult.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace tern {

class CModbus {
public:
    static constexpr uint32_t kLockTimeOutMs = 1000;

    CModbus() = default;
    virtual ~CModbus() = default;
    CModbus(const CModbus&) = delete;
    CModbus& operator=(const CModbus&) = delete;

    // One request/response on the line. request holds the frame body in its
    // first requestLength bytes (the transport may append its checksum);
    // response receives the response frame body; expectedLength is the
    // length of that body (0: not known); responseLength, when given,
    // receives the length actually received.
    virtual uint16_t Exchange(std::vector<uint8_t>& request, size_t requestLength,
                              std::vector<uint8_t>& response, size_t expectedLength,
                              size_t* responseLength = nullptr) = 0;
    virtual std::string GetErrorText(uint16_t code) const;
    virtual bool IsOpen() const = 0;
    virtual const char* GetRuntimeClassName() const { return "CModbus"; }

    // Functions 1 and 2: one byte (0 or 1) per coil or input.
    uint16_t ReadOutputStatus(uint8_t slave, uint16_t start, uint16_t quantity, std::vector<uint8_t>& values);
    uint16_t ReadInputStatus(uint8_t slave, uint16_t start, uint16_t quantity, std::vector<uint8_t>& values);
    // Functions 3 and 4.
    uint16_t ReadOutputRegisters(uint8_t slave, uint16_t start, uint16_t quantity, std::vector<uint16_t>& values);
    uint16_t ReadInputRegisters(uint8_t slave, uint16_t start, uint16_t quantity, std::vector<uint16_t>& values);
    // Function 5: state 1 switches the coil on, any other state off.
    uint16_t ForceSingleCoil(uint8_t slave, uint16_t coil, int state);
    // Function 6.
    uint16_t PresetSingleRegister(uint8_t slave, uint16_t reg, uint16_t value);
    // Functions 15 and 16. Values beyond the end of a short input are sent
    // as 0 so that a request never reads outside the caller's array.
    uint16_t ForceMultipleCoils(uint8_t slave, uint16_t start, uint16_t quantity, std::span<const uint8_t> values);
    uint16_t PresetMultipleRegisters(uint8_t slave, uint16_t start, uint16_t quantity,
                                     std::span<const uint16_t> values);

    // Values wider than a register. highWordFirst is the word-order flag:
    // set, the first register carries the most significant 16 bits. Floating
    // point values travel as their bit patterns (std::bit_cast).
    enum class RegisterTable { Holding, Input };  // function 3 or 4
    uint16_t ReadRegisters32(RegisterTable table, uint8_t slave, uint16_t start, uint16_t quantity,
                             bool highWordFirst, std::vector<uint32_t>& values);
    uint16_t ReadRegisters64(RegisterTable table, uint8_t slave, uint16_t start, uint16_t quantity,
                             bool highWordFirst, std::vector<uint64_t>& values);
    uint16_t PresetRegisters32(uint8_t slave, uint16_t start, uint16_t quantity, bool highWordFirst,
                               std::span<const uint32_t> values);
    uint16_t PresetRegisters64(uint8_t slave, uint16_t start, uint16_t quantity, bool highWordFirst,
                               std::span<const uint64_t> values);
    uint16_t PresetRegister32(uint8_t slave, uint16_t start, bool highWordFirst, uint32_t value);
    uint16_t PresetRegister64(uint8_t slave, uint16_t start, bool highWordFirst, uint64_t value);

    // Attempts per operation; 1 or less means one.
    int16_t GetRetries() const { return retries_; }
    void SetRetries(int16_t retries) { retries_ = retries; }
    // Pause the transport makes after every failed exchange (ms).
    uint32_t GetDelay() const { return delay_; }
    void SetDelay(uint32_t ms) { delay_ = ms; }
    // When on, a failed operation throws CModbusException.
    bool GetThrowExceptions() const { return throwExceptions_; }
    void SetThrowExceptions(bool on) { throwExceptions_ = on; }

protected:
    // Holds the connection lock for one exchange (or connect, open, close).
    // The lock is re-entrant: connect may disconnect while holding it.
    class Lock {
    public:
        explicit Lock(CModbus& owner, uint32_t timeOutMs = kLockTimeOutMs);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        bool owns() const { return owns_; }
    private:
        CModbus& owner_;
        bool owns_;
    };

    // The pause after a failed exchange; returns the result for chaining.
    uint16_t failed(uint16_t code) const;

private:
    enum class Echo { AddressAndFunction, FirstSix };

    uint16_t transact(std::vector<uint8_t>& request, size_t expectedLength, Echo echo,
                      std::vector<uint8_t>& response);
    static uint16_t checkResponse(const std::vector<uint8_t>& request, const std::vector<uint8_t>& response,
                                  size_t received, size_t expectedLength, Echo echo);
    uint16_t readBits(uint8_t function, uint8_t slave, uint16_t start, uint16_t quantity,
                      std::vector<uint8_t>& values);
    uint16_t readWords(uint8_t function, uint8_t slave, uint16_t start, uint16_t quantity,
                       std::vector<uint16_t>& values);
    uint16_t readWide(RegisterTable table, uint8_t slave, uint16_t start, uint16_t quantity,
                      unsigned wordsPerValue, bool highWordFirst, std::vector<uint64_t>& values);
    uint16_t presetWide(uint8_t slave, uint16_t start, uint16_t quantity, unsigned wordsPerValue,
                        bool highWordFirst, std::span<const uint64_t> values);

    std::recursive_timed_mutex lock_;
    std::atomic<int16_t> retries_{1};
    std::atomic<uint32_t> delay_{0};
    std::atomic<bool> throwExceptions_{false};
};

// Spreads a value over wordCount registers and back, by the word-order flag.
std::vector<uint16_t> wordsFromValue(uint64_t value, unsigned wordCount, bool highWordFirst);
uint64_t valueFromWords(const uint16_t* words, unsigned wordCount, bool highWordFirst);

}  // namespace tern
