#include <kestrel/core/WorkRecord.h>

#include <kestrel/core/HexText.h>

namespace kestrel {

std::optional<WorkRecord> WorkRecord::parse(std::string_view bytes)
{
    if (bytes.size() != kSize || bytes[8] != '\r' || bytes[9] != '\n') return std::nullopt;
    return fromTexts(bytes.substr(0, 4), bytes.substr(kValueOffset, 4));
}

std::optional<WorkRecord> WorkRecord::fromTexts(std::string_view number, std::string_view value)
{
    const auto n = parseHex4(number);
    const auto v = parseHex4(value);
    if (!n || !v) return std::nullopt;
    return WorkRecord(*n, *v);
}

std::string WorkRecord::serialise() const { return numberText() + valueText() + "\r\n"; }
std::string WorkRecord::numberText() const { return formatHex4(number_); }
std::string WorkRecord::valueText() const { return formatHex4(value_); }

}  // namespace kestrel
