#pragma once
// Faults the simulated line can inject into the drives' replies, to drive
// the master's failure paths: no reply, a wrong BCC, a reply cut short,
// noise in place of the reply, or a late reply.
#include <optional>
#include <string>

namespace sim {

struct SioFault {
    enum Kind { Silent, BadBcc, Truncate, Noise, Delay };
    Kind kind = Silent;
    int address = -1;     // -1: every drive
    int remaining = -1;   // replies still affected; -1: all of them
    unsigned delayMs = 0; // Delay only

    // "KIND[:N][@ADDR]": silent, badbcc, truncate, noise take N = number of
    // replies affected (default all); delay takes N = milliseconds.
    static std::optional<SioFault> parse(const std::string& spec);
    bool appliesTo(int addr) const { return remaining != 0 && (address < 0 || address == addr); }
};

}  // namespace sim
