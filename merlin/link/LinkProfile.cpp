#include <merlin/link/LinkProfile.h>

#include <platform/ParseInt.h>

#include <string>

namespace merlin {

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kTimes = "Times";

// The baud rate is kept as text; anything that is not a positive decimal
// number leaves the default.
long baudFromText(const std::string& text, long fallback)
{
    const auto value = platform::parseInt<long>(text);
    return value && *value > 0 ? *value : fallback;
}

uint32_t nonNegative(int value, uint32_t fallback) { return value >= 0 ? static_cast<uint32_t>(value) : fallback; }

}  // namespace

LinkSettings loadLinkSettings(const platform::Profile& p)
{
    LinkSettings s;
    s.comPort = p.getInt(kSettings, "Port", s.comPort);
    s.baudRate = baudFromText(p.getString(kSettings, "Baud"), s.baudRate);
    s.retries = p.getInt(kTimes, "Repeat", s.retries);
    s.timeoutMs = nonNegative(p.getInt(kTimes, "ModBus Timeout", static_cast<int>(s.timeoutMs)), s.timeoutMs);
    s.requestDelayMs =
        nonNegative(p.getInt(kTimes, "ModBus Request Delay", static_cast<int>(s.requestDelayMs)), s.requestDelayMs);
    s.silentIntervalMs = nonNegative(p.getInt(kTimes, "ModBus Silent Interval", static_cast<int>(s.silentIntervalMs)),
                                     s.silentIntervalMs);
    return s;
}

bool saveLinkSettings(platform::Profile& p, const LinkSettings& s)
{
    bool ok = p.writeInt(kSettings, "Port", s.comPort);
    ok = p.writeString(kSettings, "Baud", std::to_string(s.baudRate)) && ok;
    ok = p.writeInt(kTimes, "Repeat", s.retries) && ok;
    ok = p.writeInt(kTimes, "ModBus Timeout", static_cast<int>(s.timeoutMs)) && ok;
    ok = p.writeInt(kTimes, "ModBus Request Delay", static_cast<int>(s.requestDelayMs)) && ok;
    ok = p.writeInt(kTimes, "ModBus Silent Interval", static_cast<int>(s.silentIntervalMs)) && ok;
    return ok;
}

}  // namespace merlin
