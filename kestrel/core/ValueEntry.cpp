#include <kestrel/core/ValueEntry.h>

#include <kestrel/core/ListMessages.h>
#include <kestrel/core/ValueDisplay.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrel {

namespace {

EntryResult refuse(const platform::Notice& why) { return {std::nullopt, why}; }
EntryResult accept(unsigned long v) { return {static_cast<std::uint16_t>(v), std::nullopt}; }

// strtoul-like reading that insists on the whole text; saturates instead of
// wrapping so that huge numbers stay huge.
std::optional<unsigned long> parseWholeHex(std::string_view text)
{
    if (text.empty()) return 0UL;
    if (text.find('-') != std::string_view::npos) return std::nullopt;
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2])))
        i += 2;
    const std::size_t first = i;
    unsigned long v = 0;
    for (; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
        const unsigned long d = c <= '9' ? static_cast<unsigned long>(c - '0')
                                         : static_cast<unsigned long>(c - 'A' + 10);
        v = v > 0xFFFFFFUL ? v : v * 16 + d;
    }
    if (i == first || i != text.size()) return std::nullopt;
    return v;
}

std::optional<double> parseWholeNumber(std::string_view text)
{
    // Plain decimal notation only (strtod would also take "0x1A" or "inf").
    if (text.find_first_not_of(" \t+-.0123456789eE") != std::string_view::npos) return std::nullopt;
    const std::string s(text);
    const char* begin = s.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v)) return std::nullopt;
    while (*end && std::isspace(static_cast<unsigned char>(*end))) ++end;
    if (*end) return std::nullopt;
    return v;
}

}  // namespace

EntryResult checkHexEntry(std::string_view text, long min, long max)
{
    const auto v = parseWholeHex(text);
    if (!v) return refuse(msg::kInvalidValue);
    if (*v > 0xFFFF) return refuse(msg::kAboveUpper);
    if (*v >= 0x8000) {
        if (static_cast<long>(*v) - 0x10000 < min) return refuse(msg::kBelowLowerHex);
        return accept(*v);
    }
    if (static_cast<long>(*v) < min) return refuse(msg::kBelowLowerHex);
    if (static_cast<long>(*v) > max) return refuse(msg::kAboveUpper);
    return accept(*v);
}

EntryResult checkDecimalEntry(std::string_view text, int decimals, int scaleExponent, long min, long max)
{
    const auto number = parseWholeNumber(text);
    if (!number || decimals < 0 || decimals > 3) return refuse(msg::kInvalidValue);
    static constexpr float kPowers[] = {1.0f, 10.0f, 100.0f, 1000.0f};
    // The limit check works in single precision, as the entry field does.
    const float x = static_cast<float>(*number) * kPowers[decimals];
    if (x > static_cast<float>(max)) return refuse(msg::kAboveUpper);
    if (x < static_cast<float>(min)) return refuse(msg::kBelowLowerDecimal);
    // The device integer: the number rounded to its decimals with the point
    // removed, times the scale.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(*number));
    unsigned long magnitude = 0;
    for (const char* p = buf; *p; ++p)
        if (*p >= '0' && *p <= '9') magnitude = magnitude * 10 + static_cast<unsigned long>(*p - '0');
    static constexpr unsigned long kScale[] = {1, 10, 100, 1000};
    magnitude *= kScale[scaleExponent >= 0 && scaleExponent <= 3 ? scaleExponent : 0];
    const bool negative = *number < 0 && magnitude != 0;
    if (magnitude > (negative ? 0x8000UL : 0x7FFFUL))
        return refuse(negative ? msg::kBelowLowerDecimal : msg::kAboveUpper);
    return accept(negative ? 0x10000UL - magnitude : magnitude);
}

EntryResult checkEntry(const TvkRecord& record, std::string_view text)
{
    const long min = scaledValue(record, static_cast<std::uint16_t>(record.minimum()));
    const long max = scaledValue(record, static_cast<std::uint16_t>(record.maximum()));
    if (record.isHexadecimal()) return checkHexEntry(text, min, max);
    return checkDecimalEntry(text, record.decimals(), record.scaleExponent(), min, max);
}

}  // namespace kestrel
