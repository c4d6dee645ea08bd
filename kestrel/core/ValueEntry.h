#pragma once
// Checking and encoding a value the user typed for a parameter, with the
// limit messages the list window and the list conversion show.
#include <platform/Notice.h>
#include <kestrel/core/TvkRecord.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrel {

struct EntryResult {
    std::optional<std::uint16_t> value;  // the device value when accepted
    std::optional<platform::Notice> notice;        // why it was refused

    bool accepted() const { return value.has_value(); }
};

// Hexadecimal entry: leading blanks, a "+" and a "0x" prefix are accepted,
// an empty text reads as 0; "-" or anything that is not completely a
// hexadecimal number is "Invalid Value !". min and max are the signed limits.
EntryResult checkHexEntry(std::string_view text, long min, long max);
// Decimal entry with `decimals` decimals; min and max are the limits after
// scaling, scaleExponent the record's scale digit (device value is 10^k
// times the shown integer).
EntryResult checkDecimalEntry(std::string_view text, int decimals, int scaleExponent, long min, long max);
// By the record: hexadecimal or decimal entry against its scaled limits.
EntryResult checkEntry(const TvkRecord& record, std::string_view text);

}  // namespace kestrel
