#pragma once
// The values of the "Program Parameters" dialog: the telegram timing and RTS
// mode, with their ranges and the defaults the "Default" button restores.
#include <kestrel/core/KestrelState.h>

namespace kestrel {

struct ProgramParameters {
    int repeat = 8;
    int delayNak = 1200;
    int tRts = 30;
    int tWait = 50;
    bool rts = false;

    bool operator==(const ProgramParameters&) const = default;

    static ProgramParameters defaults() { return {}; }
    static ProgramParameters from(const TelegramSettings& t);
    void storeInto(TelegramSettings& t) const;
};

struct IntRange {
    int min;
    int max;
    bool contains(int v) const { return v >= min && v <= max; }
};

inline constexpr IntRange kRepeatRange{1, 100};
inline constexpr IntRange kDelayRange{1, 10000};   // "DelayNAK", "tRTS" and "tWait"

}  // namespace kestrel
