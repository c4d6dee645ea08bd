#pragma once
// The values of Merlin's "Program Parameters" dialog: the link settings a
// link is opened with, their ranges, and what "Default" fills in. They take
// effect at the next OpenLink; links already open keep theirs.
#include <merlin/core/CModbusLink.h>

namespace merlin {

struct LinkParameters {
    struct Range {
        int min, max;
        bool contains(int v) const { return v >= min && v <= max; }
    };
    static constexpr Range kRepeats{1, 100};
    static constexpr Range kTimeout{1, 10000};
    static constexpr Range kRequestDelay{1, 10000};
    static constexpr Range kSilentInterval{0, 10000};

    int repeats = 3;
    int timeoutMs = 1000;
    int requestDelayMs = 70;
    int silentIntervalMs = 0;

    bool operator==(const LinkParameters&) const = default;
    static LinkParameters defaults() { return {}; }
    static LinkParameters from(const LinkSettings& settings)
    {
        return {settings.retries, static_cast<int>(settings.timeoutMs), static_cast<int>(settings.requestDelayMs),
                static_cast<int>(settings.silentIntervalMs)};
    }
    bool valid() const
    {
        return kRepeats.contains(repeats) && kTimeout.contains(timeoutMs) && kRequestDelay.contains(requestDelayMs) &&
               kSilentInterval.contains(silentIntervalMs);
    }
    // OK: the values become the process-wide settings.
    void storeInto(LinkSettings& settings) const
    {
        settings.retries = repeats;
        settings.timeoutMs = static_cast<uint32_t>(timeoutMs);
        settings.requestDelayMs = static_cast<uint32_t>(requestDelayMs);
        settings.silentIntervalMs = static_cast<uint32_t>(silentIntervalMs);
    }
};

}  // namespace merlin
