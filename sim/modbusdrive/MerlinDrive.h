#pragma once
// One simulated LM3/LT4 drive. Its holding registers are the parameters of
// a definition file (register 4xxxx is wire address xxxx - 1), starting at
// their defaults, plus the registers every drive of the family has:
//   996..999  software version, application, device type, presence (read only)
//   201, 202  control words 1 and 2        50, 52  status words 1 and 2
//   203, 205  speed references (0.01 Hz)   298     password
// Writes are checked like the drive checks them: a register it does not
// have gives exception 2, a value outside the parameter's limits exception 3,
// a read-only register exception 2. While a password is set and has not
// been written to 298, every parameter write is refused with exception 1;
// control words and speed references stay writable (they are process data,
// not settings).
//
// Not thread-safe by itself: MerlinDriveModel serialises the calls.
#include <merlin/core/CDpfParSet.h>
#include <sim/modbus/ModbusDataModel.h>

#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace sim {

class MerlinDrive {
public:
    // Register offsets (register - 40000) of the family's fixed registers.
    static constexpr int kStatusWord1 = 50;
    static constexpr int kStatusWord2 = 52;
    static constexpr int kControlWord1 = 201;
    static constexpr int kControlWord2 = 202;
    static constexpr int kSpeedReference1 = 203;
    static constexpr int kSpeedReference2 = 205;
    static constexpr int kPassword = 298;
    static constexpr int kSoftwareVersion = 996;
    static constexpr int kApplication = 997;
    static constexpr int kDeviceType = 998;
    static constexpr int kPresence = 999;
    static constexpr uint16_t kMaxSpeed = 32500;

    // password 0: the drive's password is the default of its register 298
    // in the definition (0 there too: the drive is never locked).
    explicit MerlinDrive(const merlin::CDpfParSet& definition, uint16_t password = 0);

    // Wire addresses, as the data model passes them. 0 or a Modbus exception code.
    uint8_t read(uint16_t start, std::span<uint16_t> out) const;
    uint8_t write(uint16_t start, std::span<const uint16_t> values);

    // By register offset, for tests and the command line.
    bool has(int offset) const { return registers_.count(offset) != 0; }
    uint16_t value(int offset) const;
    void setValue(int offset, uint16_t value);
    bool locked() const { return locked_; }
    uint16_t password() const { return password_; }

    // A fault occurs: the first active-fault register takes the index of a
    // fault-code record and the history moves down by one.
    void raiseFault(uint16_t faultIndex);
    bool faulted() const { return faulted_; }

private:
    struct Register {
        uint16_t value = 0;
        int min = 0;
        int max = 0xFFFF;
        bool readOnly = false;
    };

    void addParameters(const merlin::CDpfParSet& definition);
    void addFixed(int offset, uint16_t value, int min, int max, bool readOnly);
    uint8_t check(int offset, uint16_t value) const;
    void store(int offset, uint16_t value);
    void controlWord1Changed(uint16_t previous, uint16_t now);
    void updateStatus();
    void clearFaults();

    std::map<int, Register> registers_;
    std::vector<int> activeFaults_;    // register offsets
    std::vector<int> faultHistory_;
    uint16_t password_ = 0;
    bool locked_ = false;
    bool faulted_ = false;
};

}  // namespace sim
