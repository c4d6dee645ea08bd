#pragma once
// One simulated SIO drive: its parameter values (three parameter sets), the
// run state behind the status word, the error register, the changes made at
// its keypad, the fault history and the cursor of a database upload. It
// answers decoded requests; framing is the bus's business (SioBus).
#include <sim/sio/SioCatalogue.h>

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace sim {

struct SioDriveConfig {
    int address = 1;
    int version = 1808;
    uint16_t ratedPower = 0x05DC;  // 0.01 kW
    bool sioControl = true;        // remote control through SIO selected
};

// What the drive sends back for one request.
struct SioAnswer {
    enum Kind { Value, Block, Ack, Nak, Silent } kind = Silent;
    uint16_t number = 0;   // Value/Block: number the reply carries
    uint16_t value = 0;    // Value
    std::string data;      // Block: the 40 data characters
};

class SioDrive {
public:
    // Status word bits.
    static constexpr uint16_t kReady = 0x0001;       // no fault
    static constexpr uint16_t kOutputActive = 0x0002;
    static constexpr uint16_t kRunning = 0x0004;
    static constexpr uint16_t kDcBrake = 0x0008;
    static constexpr uint16_t kReverse = 0x0020;
    static constexpr uint16_t kLocal = 0x0800;
    static constexpr uint16_t kSio = 0x2000;
    static constexpr uint16_t kTestMode = 0x4000;
    // Control word bits.
    static constexpr uint16_t kCmdForward = 0x0080;
    static constexpr uint16_t kCmdReverse = 0x0040;

    // The version must have a catalogue (SioCatalogue::forVersion).
    explicit SioDrive(const SioDriveConfig& config);

    int address() const { return config_.address; }
    int version() const { return config_.version; }
    const SioCatalogue& catalogue() const { return *catalogue_; }

    SioAnswer read(uint16_t number);
    SioAnswer write(uint16_t number, uint16_t value);
    // A write whose checksum did not match.
    SioAnswer badChecksum();

    // ---- the drive's front panel and inside, for tests and the CLI ----
    // A value changed at the keypad: reported by the next FFFC query.
    bool keypadChange(uint16_t number, uint16_t value);
    // The drive trips with a fault code (0..31); it goes into the history.
    void trip(uint16_t code);
    void setSioControl(bool on) { config_.sioControl = on; }
    void setTestMode(bool on) { testMode_ = on; }
    void setDcBrake(bool on) { dcBrake_ = on; }

    uint16_t statusWord() const;
    uint16_t errorRegister() const { return errorRegister_; }
    uint16_t controlWord() const { return controlWord_; }
    bool running() const { return direction_ != 0; }
    bool reverse() const { return reverse_; }
    bool tripped() const { return tripped_; }
    int parameterSet() const { return activeSet_ + 1; }
    // Current value of a parameter of the active set (0 for unknown ones).
    uint16_t value(uint16_t number) const;
    void setValue(uint16_t number, uint16_t value);
    // Writes accepted over the line, in order (the simulator's log).
    int writesAccepted() const { return writesAccepted_; }

private:
    SioAnswer refuse(uint16_t bit);
    SioAnswer blockRecord(size_t index) const;
    SioAnswer changedReport();
    SioAnswer writeControlWord(uint16_t value);
    SioAnswer writeParameterSet(uint16_t value);
    bool special(uint16_t number, uint16_t& value) const;

    SioDriveConfig config_;
    const SioCatalogue* catalogue_;
    std::array<std::map<uint16_t, uint16_t>, 3> sets_;
    int activeSet_ = 0;
    uint16_t errorRegister_ = 0;
    uint16_t controlWord_ = 0;
    int direction_ = 0;   // 0 stopped, 1 forward, 2 reverse
    bool reverse_ = false;
    bool tripped_ = false;
    bool testMode_ = false;
    bool dcBrake_ = false;
    std::set<uint16_t> keypadChanged_;
    size_t uploadCursor_ = 0;
    int writesAccepted_ = 0;
};

}  // namespace sim
