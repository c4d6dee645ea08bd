#include <kestrel/core/ParameterSelection.h>

#include <kestrel/core/HexText.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/ValueDisplay.h>

#include <cstdio>

namespace kestrel {

std::string formatScaled(long x, int decimals)
{
    char buf[48];
    if (decimals <= 0 || decimals > 3) {
        std::snprintf(buf, sizeof buf, "%ld", x);
        return buf;
    }
    static constexpr float kFactors[] = {1.0f, 0.1f, 0.01f, 0.001f};
    const float shown = static_cast<float>(x) * kFactors[decimals];
    std::snprintf(buf, sizeof buf, "%0.*f", decimals, static_cast<double>(shown));
    return buf;
}

namespace {

bool neverEditedInList(std::uint16_t number)
{
    // Baud rate and address of the drive, and the identification group 0.
    return number == param::kBaudRate.number() || number == param::kDriveAddress.number() || number < 0x0010;
}

}  // namespace

ParameterSelection selectParameter(const TvkRecord& record, std::uint16_t value, bool editRequested)
{
    ParameterSelection s;
    s.decimals = record.decimals();
    s.value = scaledValue(record, value);
    s.min = scaledValue(record, static_cast<std::uint16_t>(record.minimum()));
    s.max = scaledValue(record, static_cast<std::uint16_t>(record.maximum()));
    s.unit = unitText(record);
    if (record.isHexadecimal() && s.decimals == 0) {
        s.maximum = std::string(record.maximumText());
        s.minimum = std::string(record.minimumText());
        s.displayed = formatHex4(value);
        s.editBox = EditBox::Hexadecimal;
        s.prompt = "Enter  HEXADECIMAL value";
    } else {
        s.maximum = formatScaled(s.max, s.decimals);
        s.minimum = formatScaled(s.min, s.decimals);
        s.displayed = s.decimals == 0 ? formatScaled(s.value, 0) : formatScaled(s.value, s.decimals);
        s.editBox = EditBox::Decimal;
        s.prompt = "Enter  DECIMAL value";
    }
    if (record.isLockedInList()) {
        s.maximum.clear();
        s.minimum.clear();
        s.unit.clear();
        s.prompt.clear();
        s.editBox = EditBox::None;
    }
    if (!editRequested || neverEditedInList(record.number())) s.editBox = EditBox::None;
    return s;
}

}  // namespace kestrel
