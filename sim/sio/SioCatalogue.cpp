#include <sim/sio/SioCatalogue.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>

namespace sim {

std::string hex4(uint16_t v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(v));
    return buf;
}

std::optional<uint16_t> parseHex4(const std::string& text)
{
    if (text.size() != 4)
        return std::nullopt;
    unsigned v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return std::nullopt;
        v = v * 16 + static_cast<unsigned>(d);
    }
    return static_cast<uint16_t>(v);
}

bool SioParameter::inRange(uint16_t v) const
{
    if (isHex())
        return v >= static_cast<uint16_t>(minimum) && v <= static_cast<uint16_t>(maximum);
    const int16_t s = static_cast<int16_t>(v);
    return s >= minimum && s <= maximum;
}

namespace {

struct Group {
    const char* title;
    const char* word;
    int count;
};

// 24 groups, 170 parameters and 24 group headers in version 1808.
constexpr std::array<Group, 24> kGroups = {{
    {"FAULT MEMORY", "Memory", 15},  {"DISPLAY", "Display", 8},
    {"OPERATING MODE", "Mode", 10},  {"SETPOINTS", "Setpoint", 12},
    {"RAMPS", "Ramp", 6},            {"FREQUENCIES", "Freq", 7},
    {"MOTOR DATA", "Motor", 5},      {"CURRENT LIMITS", "Current", 6},
    {"SERVICE", "Service", 8},       {"INTERFACES", "Interface", 11},
    {"SIO CONTROL", "SIO", 13},      {"ANALOG INPUTS", "Analog", 5},
    {"ANALOG OUTPUTS", "AnOut", 4},  {"DIGITAL INPUTS", "DigIn", 6},
    {"DRIVE INFO", "Info", 10},      {"RATINGS", "Rating", 3},
    {"BRAKING", "Brake", 7},         {"PID CONTROL", "PID", 6},
    {"FIXED SPEEDS", "Fixed", 5},    {"TIMERS", "Timer", 4},
    {"OPTIONS", "Option", 6},        {"COMMUNICATION", "Comm", 5},
    {"PROTECTION", "Protect", 4},    {"FACTORY", "Factory", 4},
}};

int pow10(int k)
{
    int p = 1;
    while (k-- > 0) p *= 10;
    return p;
}

SioParameter header(int g)
{
    SioParameter p;
    p.number = static_cast<uint16_t>(g * 16);
    p.name = kGroups[static_cast<size_t>(g)].title;
    p.attribute = sioattr::kViewOnly;
    return p;
}

// A parameter of no special meaning: the attributes walk through every unit,
// decimals, scale digit and access category.
SioParameter generic(int g, int i)
{
    SioParameter p;
    p.number = static_cast<uint16_t>(g * 16 + i);
    p.name = std::string(kGroups[static_cast<size_t>(g)].word) + " " + std::to_string(i);
    const int unit = (g + i) % 16;
    p.decimals = (g + 2 * i) % 4;
    const int scale = (g * 3 + i) % 7 == 0 ? 1 + i % 3 : 0;
    uint16_t attr = static_cast<uint16_t>(unit << 12 | scale);
    if (i % 3 == 0) attr |= sioattr::kProgramAlways;
    if ((g + i) % 11 == 0) attr |= sioattr::kViewOnly;
    if (g >= 0x10 && i % 4 == 1) attr |= sioattr::kService;
    if (g == 0x12 && i == 1) attr |= sioattr::kSioControl;
    if (g == 0x16 && i == 2) attr |= sioattr::kLocked;
    if (g == 0x17 && i == 3) attr |= sioattr::kLocked | sioattr::kHex;
    const bool hex = (g * 5 + i) % 13 == 0;
    if (hex) {
        attr = static_cast<uint16_t>((attr & 0x0FF0) | sioattr::kHex);
        p.minimum = 0;
        p.maximum = 0x7FFF;
        p.defaultValue = static_cast<int16_t>(0x0100 * (i % 8) + g);
    } else {
        const int max = std::min(32000, (50 + (g * 37 + i * 11) % 400) * pow10(scale));
        p.maximum = static_cast<int16_t>(max);
        p.minimum = static_cast<int16_t>((g + i) % 5 == 0 ? -max : 0);
        p.defaultValue = static_cast<int16_t>(max / 4 / pow10(scale) * pow10(scale));
    }
    p.attribute = attr;
    p.extra = hex4(static_cast<uint16_t>(g << 8 | i));
    return p;
}

struct Special {
    uint16_t number;
    const char* name;
    int16_t minimum, maximum;
    int decimals;
    int16_t defaultValue;
    uint16_t attribute;
};

const Special kSpecials[] = {
    {0x000B, "Last fault", 0, 31, 0, 0, sioattr::kViewOnly},
    {0x000C, "Fault 2", 0, 31, 0, 0, sioattr::kViewOnly},
    {0x000D, "Fault 3", 0, 31, 0, 0, sioattr::kViewOnly},
    {0x000E, "Fault 4", 0, 31, 0, 0, sioattr::kViewOnly},
    {0x000F, "Fault 5", 0, 31, 0, 0, sioattr::kViewOnly},
    {0x0029, "Control place", 0, 3, 0, 2, 0x0000},
    {0x0031, "Setpoint source", 0, 11, 0, 1, 0x0000},
    {0x003A, "F-EXT1 (SIO)", -32500, 32500, 2, 0, 0x1000 | sioattr::kSioControl | sioattr::kProgramAlways},
    {0x0087, "Service code", 0, 0x7FFF, 0, 0, sioattr::kHex | sioattr::kProgramAlways},
    {0x009B, "SIO address", 0, 31, 0, 0, 0x0000},
    {0x00AC, "Error register", 0, 0x00FF, 0, 0, sioattr::kViewOnly | sioattr::kHex},
    {0x00AD, "Control word", 0, 0x00FF, 0, 0, sioattr::kHex | sioattr::kSioControl | sioattr::kProgramAlways},
    {0x00E4, "Software vers.", 0, 9999, 0, 0, sioattr::kViewOnly},
    {0x00E8, "Status word", 0, 0x7FFF, 0, 0, sioattr::kViewOnly | sioattr::kHex},
    {0x00E9, "Parameter set", 1, 3, 0, 1, 0x0000},
    {0x00EA, "Copy set", 0, 3, 0, 0, 0x0000},
    {0x00F1, "Rated power", 0, 32000, 2, 0, 0xB000 | sioattr::kViewOnly},
};

constexpr uint16_t kChangedLimits = 0x0021;   // 1812 widens its maximum
constexpr uint16_t kDropped = 0x0144;         // not in 1812
constexpr uint16_t kAdded = 0x0156;           // new in 1812

std::vector<SioParameter> build(int version)
{
    std::map<uint16_t, SioParameter> byNumber;
    for (int g = 0; g < static_cast<int>(kGroups.size()); ++g) {
        byNumber[static_cast<uint16_t>(g * 16)] = header(g);
        for (int i = 1; i <= kGroups[static_cast<size_t>(g)].count; ++i) {
            SioParameter p = generic(g, i);
            byNumber[p.number] = p;
        }
    }
    for (const Special& s : kSpecials) {
        SioParameter& p = byNumber[s.number];
        p.number = s.number;
        p.name = s.name;
        p.minimum = s.minimum;
        p.maximum = s.maximum;
        p.decimals = s.decimals;
        p.defaultValue = s.defaultValue;
        p.attribute = s.attribute;
    }
    if (version >= 1812) {
        byNumber[kChangedLimits].maximum = static_cast<int16_t>(byNumber[kChangedLimits].maximum + 100);
        byNumber.erase(kDropped);
        SioParameter added = generic(0x15, 6);
        added.name = "Auto restart";
        byNumber[kAdded] = added;
    }
    std::vector<SioParameter> out;
    out.reserve(byNumber.size());
    for (auto& [n, p] : byNumber)
        out.push_back(p);
    return out;
}

}  // namespace

SioCatalogue::SioCatalogue(int version) : version_(version), records_(build(version)) {}

std::vector<int> SioCatalogue::versions()
{
    return {1808, 1812};
}

const SioCatalogue* SioCatalogue::forVersion(int version)
{
    static const SioCatalogue v1808(1808);
    static const SioCatalogue v1812(1812);
    if (version == 1808) return &v1808;
    if (version == 1812) return &v1812;
    return nullptr;
}

const SioParameter* SioCatalogue::find(uint16_t number) const
{
    const int i = indexOf(number);
    return i < 0 ? nullptr : &records_[static_cast<size_t>(i)];
}

int SioCatalogue::indexOf(uint16_t number) const
{
    auto it = std::lower_bound(records_.begin(), records_.end(), number,
                               [](const SioParameter& p, uint16_t n) { return p.number < n; });
    if (it == records_.end() || it->number != number)
        return -1;
    return static_cast<int>(it - records_.begin());
}

}  // namespace sim
