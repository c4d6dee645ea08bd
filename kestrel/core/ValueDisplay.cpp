#include <kestrel/core/ValueDisplay.h>

#include <kestrel/core/FormatValue.h>
#include <kestrel/core/HexText.h>

#include <array>

namespace kestrel {

std::string_view unitName(int unitIndex)
{
    static constexpr std::array<std::string_view, 16> kUnits = {
        " ",    "Hz",  "sec", "hour",    "%",  "deg C", "A",   "V",
        "days", "deg", "per min", "kW", "kHz", "ohms",  "msec", "min"};
    return unitIndex >= 0 && unitIndex < 16 ? kUnits[static_cast<std::size_t>(unitIndex)] : " ";
}

std::string unitText(const TvkRecord& record)
{
    return record.isHexadecimal() ? std::string("HEX") : std::string(unitName(record.unitIndex()));
}

std::string_view accessCategory(const TvkRecord& record)
{
    if (record.isViewOnly()) return "View-only";
    if (record.isSioControl() && record.isProgramAlways()) return "Program Always (SIO)";
    if (record.isSioControl()) return "SIO control";
    if (record.isProgramAlways()) return "Program Always";
    return "Program in STOP";
}

std::string displayValue(const TvkRecord& record, std::uint16_t value)
{
    const std::string digits = formatHex4(value);
    if (record.isHexadecimal()) return digits;
    return FormatValue(digits, record.attributeText(), record.decimals());
}

long scaledValue(const TvkRecord& record, std::uint16_t value)
{
    static constexpr long kScale[] = {1, 10, 100, 1000};
    return asSigned(value) / kScale[record.scaleExponent()];
}

}  // namespace kestrel
