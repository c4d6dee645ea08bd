#pragma once
// How a parameter's value, unit and access category are shown, from its
// database record: the same rules serve the list, the compare rows, the
// conversion dialog and the print files.
#include <kestrel/core/TvkRecord.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// Unit text of an attribute word's first digit (" " for 0 ... "min" for F).
std::string_view unitName(int unitIndex);
// The unit column: "HEX" for a hexadecimal parameter, else unitName.
std::string unitText(const TvkRecord& record);
// "View-only", "Program Always (SIO)", "SIO control", "Program Always" or
// "Program in STOP".
std::string_view accessCategory(const TvkRecord& record);
// A stored value as the list shows it: the 4 digits of a hexadecimal
// parameter, else the scaled decimal text with the record's decimals.
std::string displayValue(const TvkRecord& record, std::uint16_t value);
// The signed value divided by the scale (truncating), as the list's limit
// fields and the value entry use it.
long scaledValue(const TvkRecord& record, std::uint16_t value);

}  // namespace kestrel
