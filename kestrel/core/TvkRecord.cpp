#include <kestrel/core/TvkRecord.h>

#include <kestrel/core/HexText.h>

#include <utility>

namespace kestrel {

namespace {

void put(std::string& bytes, std::size_t offset, std::size_t size, std::string_view text)
{
    for (std::size_t i = 0; i < size; ++i) bytes[offset + i] = i < text.size() ? text[i] : ' ';
}

}  // namespace

TvkRecord::TvkRecord() : bytes_(kSize, ' ')
{
    bytes_[0] = kMarker;
    bytes_[45] = kEtx;
    bytes_[46] = '\r';
    bytes_[47] = '\n';
}

TvkRecord TvkRecord::fromFields(const TvkFields& f)
{
    TvkRecord r;
    put(r.bytes_, kNumberOffset, 4, formatHex4(f.number));
    put(r.bytes_, kValueOffset, 4, formatHex4(f.value));
    put(r.bytes_, kNameOffset, kNameSize, f.name);
    put(r.bytes_, kMinimumOffset, 4, formatHex4(static_cast<std::uint16_t>(f.minimum)));
    put(r.bytes_, kMaximumOffset, 4, formatHex4(static_cast<std::uint16_t>(f.maximum)));
    r.bytes_[kDecimalsOffset] = static_cast<char>('0' + (f.decimals >= 0 && f.decimals <= 9 ? f.decimals : 0));
    put(r.bytes_, kDefaultOffset, 4, formatHex4(f.defaultValue));
    put(r.bytes_, kExtraOffset, 4, f.extra);
    put(r.bytes_, kAttributeOffset, 4, formatHex4(f.attribute));
    return r;
}

TvkRecord TvkRecord::fromBlockReply(std::string_view valueText)
{
    std::string bytes(kSize, ' ');
    put(bytes, 0, kReplySize, valueText.substr(0, kReplySize));
    bytes[46] = '\r';
    bytes[47] = '\n';
    return TvkRecord(std::move(bytes));
}

std::optional<TvkRecord> TvkRecord::parse(std::string_view bytes)
{
    if (bytes.size() != kSize || bytes[46] != '\r' || bytes[47] != '\n') return std::nullopt;
    for (std::size_t offset : {kNumberOffset, kValueOffset, kMinimumOffset, kMaximumOffset,
                               kDefaultOffset, kAttributeOffset}) {
        if (!parseHex4(bytes.substr(offset, 4))) return std::nullopt;
    }
    const char d = bytes[kDecimalsOffset];
    if (d < '0' || d > '3') return std::nullopt;
    return TvkRecord(std::string(bytes));
}

std::uint16_t TvkRecord::hexField(std::size_t offset) const
{
    return parseHex4(field(offset, 4)).value_or(0);
}

std::uint16_t TvkRecord::number() const { return hexField(kNumberOffset); }
std::uint16_t TvkRecord::value() const { return hexField(kValueOffset); }
std::int16_t TvkRecord::minimum() const { return asSigned(hexField(kMinimumOffset)); }
std::int16_t TvkRecord::maximum() const { return asSigned(hexField(kMaximumOffset)); }
std::uint16_t TvkRecord::defaultValue() const { return hexField(kDefaultOffset); }
std::uint16_t TvkRecord::attribute() const { return hexField(kAttributeOffset); }

int TvkRecord::decimals() const
{
    const char d = bytes_[kDecimalsOffset];
    return d >= '0' && d <= '9' ? d - '0' : 0;
}

std::string TvkRecord::name() const { return convertName(nameBytes()); }

int TvkRecord::unitIndex() const { return (attribute() >> 12) & 0xF; }

int TvkRecord::scaleExponent() const
{
    const char d = bytes_[kAttributeOffset + 3];
    return d >= '1' && d <= '3' ? d - '0' : 0;
}

bool TvkRecord::isLockedInList() const
{
    const char d = bytes_[kAttributeOffset + 1];
    return d == '8' || d == 'A' || d == 'C' || d == 'a' || d == 'c';
}

std::string TvkRecord::convertName(std::string_view raw)
{
    std::string text;
    for (unsigned char c : raw) {
        switch (c) {
        case 0x81: text += "ue"; break;
        case 0x84: text += "ae"; break;
        case 0x8E: text += "Ae"; break;
        case 0x94: text += "oe"; break;
        case 0x99: text += "Oe"; break;
        case 0x9A: text += "Ue"; break;
        case 0xE1: text += "ss"; break;
        case 0xFD: text += "2"; break;
        default:
            if (c >= 0x20 && c < 0x7F) text += static_cast<char>(c);
        }
    }
    return text;
}

}  // namespace kestrel
