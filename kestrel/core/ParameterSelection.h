#pragma once
// The fields a list window fills when a parameter row is selected: limits,
// unit, prompt, which edit box (if any) opens, and the value as shown.
#include <kestrel/core/TvkRecord.h>

#include <cstdint>
#include <string>

namespace kestrel {

enum class EditBox { None, Decimal, Hexadecimal };

struct ParameterSelection {
    std::string maximum;       // limit fields, empty when cleared
    std::string minimum;
    std::string unit;
    std::string prompt;        // "Enter  DECIMAL value" / "Enter  HEXADECIMAL value"
    std::string displayed;     // the value as the VALUE cell shows it
    EditBox editBox = EditBox::None;
    // Scaled integers and decimals the value entry checks against.
    long value = 0;
    long min = 0;
    long max = 0;
    int decimals = 0;
};

// The selection of `record` with the stored or freshly read value.
// `editRequested` is whether the user asked to edit (clicked the VALUE cell
// or typed); the edit box stays hidden otherwise, and always for view-only
// parameters, the drive's baud rate and address (A8, A9) and group 0.
ParameterSelection selectParameter(const TvkRecord& record, std::uint16_t value, bool editRequested);

// x · 10^-decimals with "%0.<decimals>f", or "%ld" for 0 decimals.
std::string formatScaled(long x, int decimals);

}  // namespace kestrel
