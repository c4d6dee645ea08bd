#include <kestrel/core/HexText.h>

#include <cstdio>

namespace kestrel {

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::uint16_t> parseHex4(std::string_view digits)
{
    if (digits.size() != 4) return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        const int d = hexDigitValue(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return static_cast<std::uint16_t>(value);
}

std::string formatHex4(std::uint16_t value)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value));
    return buf;
}

std::string formatHexShort(std::uint16_t value)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
    return buf;
}

}  // namespace kestrel
