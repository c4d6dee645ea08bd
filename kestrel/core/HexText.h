#pragma once
// Parameter numbers and values live in the files as four hexadecimal digits
// (16-bit two's complement for values). These helpers convert between the
// digits and integers without accepting anything a hand-edited file could
// sneak in (signs, blanks, prefixes).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Exactly four hexadecimal digits, either case.
std::optional<std::uint16_t> parseHex4(std::string_view digits);
// Four upper-case hexadecimal digits.
std::string formatHex4(std::uint16_t value);
// Upper-case hexadecimal without leading zeros ("A8", "3", "0").
std::string formatHexShort(std::uint16_t value);
// The 16-bit two's complement reading of four digits.
inline std::int16_t asSigned(std::uint16_t value) { return static_cast<std::int16_t>(value); }
// Value of one hexadecimal digit, or -1.
int hexDigitValue(char c);

}  // namespace kestrel
