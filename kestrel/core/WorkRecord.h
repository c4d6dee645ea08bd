#pragma once
// One 10-byte record of a working file (".~pa", ".~ct") and of the record
// part of a parameter file or custom list: number, value, CR LF.
//
//   off size field
//    0   4   parameter number, upper-case hexadecimal
//    4   4   value, hexadecimal (16-bit two's complement)
//    8   2   CR LF
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class WorkRecord {
public:
    static constexpr std::size_t kSize = 10;
    static constexpr std::size_t kNumberOffset = 0;
    static constexpr std::size_t kValueOffset = 4;

    WorkRecord() = default;
    WorkRecord(std::uint16_t number, std::uint16_t value) : number_(number), value_(value) {}

    // Exactly 10 bytes: 8 hexadecimal digits and CR LF.
    static std::optional<WorkRecord> parse(std::string_view bytes);
    // Built from the digits as they are kept elsewhere (database value field).
    static std::optional<WorkRecord> fromTexts(std::string_view number, std::string_view value);

    std::string serialise() const;  // 10 bytes

    std::uint16_t number() const { return number_; }
    std::uint16_t value() const { return value_; }
    void setValue(std::uint16_t value) { value_ = value; }
    std::string numberText() const;  // 4 digits
    std::string valueText() const;   // 4 digits

    bool operator==(const WorkRecord&) const = default;

private:
    std::uint16_t number_ = 0;
    std::uint16_t value_ = 0;
};

}  // namespace kestrel
