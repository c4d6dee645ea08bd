#pragma once
// One 48-byte record of a parameter database file ("tvk/RQ-<version>.tvk"):
// the block reply of one database read without its BCC, then CR LF.
//
//   off size field
//    0   1   'U'
//    1   4   parameter number (hex)
//    5   4   value delivered with the database (hex)
//    9  15   name, code page 437, padded
//   24   4   minimum (hex, signed 16-bit)
//   28   4   maximum (hex, signed 16-bit)
//   32   1   decimals '0'..'3'
//   33   4   default value (hex)
//   37   4   further characters of the drive's record, not interpreted
//   41   4   attribute word (hex)
//   45   1   ETX
//   46   2   CR LF
//
// The file ends with the 5-byte end mark " END\0" directly after the last
// record; a database is complete exactly when its last 4 bytes are "END\0".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Everything needed to build a record (tests, tools, conversion).
struct TvkFields {
    std::uint16_t number = 0;
    std::uint16_t value = 0;
    std::string name;  // raw bytes, cut or blank-padded to 15
    std::int16_t minimum = 0;
    std::int16_t maximum = 0;
    int decimals = 0;
    std::uint16_t defaultValue = 0;
    std::string extra = "0000";  // raw, cut or blank-padded to 4
    std::uint16_t attribute = 0;
};

class TvkRecord {
public:
    static constexpr std::size_t kSize = 48;
    static constexpr std::size_t kReplySize = 46;  // the record without CR LF
    static constexpr std::size_t kNameSize = 15;
    static constexpr char kMarker = 'U';
    static constexpr char kEtx = 0x03;
    // Written after the last record.
    static constexpr std::string_view kEndMark{" END\0", 5};
    // The last 4 bytes of a complete database; also what a reader walking
    // the file (skip 1, read 4) finds as the number after the last record.
    static constexpr std::string_view kEndNumber{"END\0", 4};

    // Field offsets inside the record.
    static constexpr std::size_t kNumberOffset = 1;
    static constexpr std::size_t kValueOffset = 5;
    static constexpr std::size_t kNameOffset = 9;
    static constexpr std::size_t kMinimumOffset = 24;
    static constexpr std::size_t kMaximumOffset = 28;
    static constexpr std::size_t kDecimalsOffset = 32;
    static constexpr std::size_t kDefaultOffset = 33;
    static constexpr std::size_t kExtraOffset = 37;
    static constexpr std::size_t kAttributeOffset = 41;

    // A blank record (all fields blank, marker, ETX, CR LF in place).
    TvkRecord();

    static TvkRecord fromFields(const TvkFields& fields);
    // The record the upload writes for one block reply: the first 46
    // characters of the reply's value text (blank-padded when shorter), CR LF.
    static TvkRecord fromBlockReply(std::string_view valueText);
    // Exactly 48 bytes ending in CR LF whose number, value, limits, default
    // and attribute are four hexadecimal digits each and whose decimals are a
    // digit '0'..'3'; anything else is a damaged database.
    static std::optional<TvkRecord> parse(std::string_view bytes);

    // The 48 bytes as stored.
    const std::string& bytes() const { return bytes_; }

    // Raw fields.
    std::string_view numberText() const { return field(kNumberOffset, 4); }
    std::string_view valueText() const { return field(kValueOffset, 4); }
    std::string_view nameBytes() const { return field(kNameOffset, kNameSize); }
    std::string_view minimumText() const { return field(kMinimumOffset, 4); }
    std::string_view maximumText() const { return field(kMaximumOffset, 4); }
    std::string_view defaultText() const { return field(kDefaultOffset, 4); }
    std::string_view extraText() const { return field(kExtraOffset, 4); }
    std::string_view attributeText() const { return field(kAttributeOffset, 4); }

    // Decoded fields; a field that is not hexadecimal reads as 0 (parse()
    // refuses such records, fromBlockReply() keeps them as delivered).
    std::uint16_t number() const;
    std::uint16_t value() const;
    std::int16_t minimum() const;
    std::int16_t maximum() const;
    int decimals() const;
    std::uint16_t defaultValue() const;
    std::uint16_t attribute() const;
    // Converted name (see convertName).
    std::string name() const;

    // The record whose number is a multiple of 16 titles its group and is
    // not a parameter.
    bool isGroupHeader() const { return (number() & 0x000F) == 0; }

    // Attribute word.
    int unitIndex() const;  // first digit, 0..15
    bool isViewOnly() const { return (attribute() & 0x0800) != 0; }
    bool isHexadecimal() const { return (attribute() & 0x0200) != 0; }
    bool isService() const { return (attribute() & 0x0100) != 0; }
    bool isProgramAlways() const { return (attribute() & 0x0040) != 0; }
    bool isSioControl() const { return (attribute() & 0x0020) != 0; }
    // The device value is 10^scaleExponent times the shown integer: the
    // fourth attribute digit '1', '2', '3' gives 1, 2, 3, anything else 0.
    int scaleExponent() const;
    // The list edits no parameter whose second attribute digit is 8, A or C.
    bool isLockedInList() const;

    // A database name (code page 437) as text: printable ASCII is kept,
    // umlauts and sharp s are spelled out, "²" becomes "2", the rest
    // (NUL included) is dropped.
    static std::string convertName(std::string_view raw);

    bool operator==(const TvkRecord&) const = default;

private:
    explicit TvkRecord(std::string bytes) : bytes_(std::move(bytes)) {}
    std::string_view field(std::size_t offset, std::size_t size) const
    {
        return std::string_view(bytes_).substr(offset, size);
    }
    std::uint16_t hexField(std::size_t offset) const;

    std::string bytes_;
};

}  // namespace kestrel
