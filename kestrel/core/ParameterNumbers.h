#pragma once
// Parameters the program gives a meaning of their own, beyond being a row of
// a list: the drive's registers it reads and writes, the records of a working
// file it looks up, and the numbers the telegram protocol reserves.
#include <cstdint>
#include <string_view>

namespace kestrel::param {

// A parameter's number, and the four upper-case hexadecimal digits that
// carry it in a telegram and name its record in a working file ("00AC").
class Parameter {
public:
    constexpr explicit Parameter(std::uint16_t number)
        : number_(number), digits_{digit(number >> 12), digit(number >> 8), digit(number >> 4), digit(number)}
    {
    }
    constexpr std::uint16_t number() const { return number_; }
    constexpr std::string_view digits() const { return {digits_, sizeof digits_}; }

private:
    static constexpr char digit(unsigned v) { return "0123456789ABCDEF"[v & 0xFu]; }
    std::uint16_t number_;
    char digits_[4];
};

// The drive's fault history: the newest fault, then the older ones at the
// following numbers.
inline constexpr Parameter kLastFault{0x000B};
// Writing it makes the drive warm up again before it answers.
inline constexpr Parameter kWarmUpAfterWrite{0x002D};
// Where the setpoint comes from; the value 000B selects kSioSetpoint.
inline constexpr Parameter kSetpointSource{0x0031};
// The setpoint written over the line, in hundredths.
inline constexpr Parameter kSioSetpoint{0x003A};
// Holds the service access code when a list shows and downloads the service
// parameters.
inline constexpr Parameter kServiceCode{0x0087};
// The drive's baud rate and address: never edited in a list nor downloaded,
// or the drive would drop off the line.
inline constexpr Parameter kBaudRate{0x00A8};
inline constexpr Parameter kDriveAddress{0x00A9};
// The drive's communication error register: why the last exchange failed;
// reading it clears it.
inline constexpr Parameter kErrorRegister{0x00AC};
// Run commands: forward, reverse, stop.
inline constexpr Parameter kControlWord{0x00AD};
// Software version; its value in decimal names the database file.
inline constexpr Parameter kSoftwareVersion{0x00E4};
// Status word: whether the drive runs, is faulted or is in SIO control.
inline constexpr Parameter kStatusWord{0x00E8};
// The active parameter set (1 to 3); writing it switches every parameter.
inline constexpr Parameter kParameterSet{0x00E9};
// The copy-set command: like the active set, a command rather than a setting.
inline constexpr Parameter kCopySet{0x00EA};
// Rated power in hundredths of a kW.
inline constexpr Parameter kRatedPower{0x00F1};

// Numbers the protocol reserves.
inline constexpr Parameter kRecordCount{0xFFF0};     // presence check; the value is the drive's record count
inline constexpr Parameter kErrorReset{0xFFF4};      // reading it resets the drive's fault
inline constexpr Parameter kChangedQuery{0xFFFC};    // which parameter was changed at the keypad
inline constexpr Parameter kChangedSeveral{0xFFFB};  // its answer when more than one was
inline constexpr Parameter kFirstRecord{0xFFFF};     // database upload: the first record
inline constexpr Parameter kNextRecord{0xFFFE};      // the next one
inline constexpr Parameter kSameRecord{0xFFFA};      // the same one again
inline constexpr Parameter kNoMoreRecords{0xFFFD};   // in a block reply's tail: no record left

static_assert(kErrorRegister.digits() == "00AC" && kNoMoreRecords.digits() == "FFFD");

}  // namespace kestrel::param
