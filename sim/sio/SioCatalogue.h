#pragma once
// Parameter catalogues of the simulated SIO drives: one per software
// version, each a list of records in the order the drive delivers them to a
// database upload. Parameters are grouped by sixteen; the record numbered
// 16*g titles group g. The versions differ the way real releases do: 1812
// adds a parameter, changes the limits of another and drops a third.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Attribute word bits (the first hexadecimal digit is the unit index, the
// last one the scale digit).
namespace sioattr {
constexpr uint16_t kViewOnly = 0x0800;
constexpr uint16_t kLocked = 0x0400;
constexpr uint16_t kHex = 0x0200;
constexpr uint16_t kService = 0x0100;
constexpr uint16_t kProgramAlways = 0x0040;
constexpr uint16_t kSioControl = 0x0020;
}  // namespace sioattr

struct SioParameter {
    uint16_t number = 0;
    std::string name;        // at most 15 characters
    int16_t minimum = 0;
    int16_t maximum = 0;
    int decimals = 0;        // 0..3
    int16_t defaultValue = 0;
    std::string extra = "0000";
    uint16_t attribute = 0;

    bool isGroupHeader() const { return (number & 0x000F) == 0; }
    bool isViewOnly() const { return (attribute & sioattr::kViewOnly) != 0; }
    bool isHex() const { return (attribute & sioattr::kHex) != 0; }
    bool programAlways() const { return (attribute & sioattr::kProgramAlways) != 0; }
    // Whether v is within the limits (hexadecimal parameters unsigned).
    bool inRange(uint16_t v) const;
};

class SioCatalogue {
public:
    // Software versions with a catalogue (decimal, e.g. 1808).
    static std::vector<int> versions();
    // nullptr for a version without a catalogue.
    static const SioCatalogue* forVersion(int version);

    int version() const { return version_; }
    const std::vector<SioParameter>& records() const { return records_; }
    const SioParameter* find(uint16_t number) const;
    // Index of the record in delivery order, or -1.
    int indexOf(uint16_t number) const;

private:
    explicit SioCatalogue(int version);
    int version_;
    std::vector<SioParameter> records_;
};

// Parameters with a meaning to the drive itself.
namespace sioparam {
constexpr uint16_t kFaultFirst = 0x000B;   // .. 0x000F, newest first
constexpr uint16_t kFaultLast = 0x000F;
constexpr uint16_t kSource = 0x0031;
constexpr uint16_t kSetpoint = 0x003A;
constexpr uint16_t kServiceCode = 0x0087;
constexpr uint16_t kErrorRegister = 0x00AC;
constexpr uint16_t kControlWord = 0x00AD;
constexpr uint16_t kVersion = 0x00E4;
constexpr uint16_t kStatusWord = 0x00E8;
constexpr uint16_t kParameterSet = 0x00E9;
constexpr uint16_t kRatedPower = 0x00F1;
constexpr uint16_t kSourceSio = 0x000B;    // value of 0031 that selects 003A
// Protocol-level numbers.
constexpr uint16_t kRecordCount = 0xFFF0;
constexpr uint16_t kChanged = 0xFFFC;
constexpr uint16_t kChangedSeveral = 0xFFFB;
constexpr uint16_t kFirstRecord = 0xFFFF;
constexpr uint16_t kNextRecord = 0xFFFE;
constexpr uint16_t kSameRecord = 0xFFFA;
constexpr uint16_t kNoMoreRecords = 0xFFFD;
}  // namespace sioparam

// Bits of the error register 00AC.
namespace sioerr {
constexpr uint16_t kTimeout = 0x02;
constexpr uint16_t kBusy = 0x04;
constexpr uint16_t kSioMode = 0x08;
constexpr uint16_t kChecksum = 0x10;
constexpr uint16_t kUnknown = 0x20;
constexpr uint16_t kWriteAttempt = 0x40;
constexpr uint16_t kRange = 0x80;
}  // namespace sioerr

std::string hex4(uint16_t v);
std::optional<uint16_t> parseHex4(const std::string& text);

}  // namespace sim
