#include <kestrel/core/FormatValue.h>

#include <cstdio>
#include <cstdlib>

namespace kestrel {

namespace {

// Leading hexadecimal digits as an integer, the way the conversion of the
// programs reads them: it stops at the first character that is not a digit.
long hexPrefix(std::string_view text)
{
    long v = 0;
    for (char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d < 0 || v > 0xFFFFF)
            break;
        v = v * 16 + d;
    }
    return v;
}

}  // namespace

std::string FormatValue(std::string_view hexText, std::string_view scaleCode, int decimals)
{
    long v = hexPrefix(hexText);
    if (v > 0x7FFF)
        v -= 0x10000;
    const char scale = scaleCode.size() >= 4 ? scaleCode[3] : '\0';
    if (scale == '1') v /= 10;
    else if (scale == '2') v /= 100;
    else if (scale == '3') v /= 1000;

    static constexpr const char* kFormats[] = {"%0.0f", "%0.1f", "%0.2f", "%0.3f"};
    static constexpr float kFactors[] = {1.0f, 0.1f, 0.01f, 0.001f};
    if (decimals < 0 || decimals > 3)
        return {};
    const float shown = static_cast<float>(v) * kFactors[decimals];
    char buf[48];
    std::snprintf(buf, sizeof buf, kFormats[decimals], static_cast<double>(shown));
    return buf;
}

std::string FormatTelegram(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        switch (c) {
        case sio::STX: out += "[STX]"; break;
        case sio::ETX: out += "[ETX]"; break;
        case sio::EOT: out += "[EOT]"; break;
        case sio::ENQ: out += "[ENQ]"; break;
        case sio::ACK: out += "[ACK]"; break;
        case sio::NAK: out += "[NAK]"; break;
        default: out += c; break;
        }
    }
    return out;
}

}  // namespace kestrel
