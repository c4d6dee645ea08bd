#pragma once
// The online download of one value, as a decision the list window runs:
// what to tell the user before, which telegrams to send, what to show after.
#include <platform/Notice.h>
#include <kestrel/core/ParameterLink.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

struct WritePlan {
    std::uint16_t number = 0;
    std::uint16_t value = 0;
    // Shown before anything is sent (switching the active parameter set).
    std::optional<platform::Notice> before;
    // Title of the warm-up notice when the plan changes it.
    std::optional<std::string> warmUpTitle;
    // "0031" + "0001": the text of the write telegram.
    std::string writeText;
    // The drive warms up after this write: show the warm-up notice.
    bool warmUpAfter = false;
    // The "Parameter Set " field shows the new set after the write.
    bool showsParameterSet = false;
};

WritePlan planWrite(std::uint16_t number, std::uint16_t value);

// Sends the plan's telegrams: the error register "00AC", then (when the
// drive answered) the write and "00AC" again. True when the write was
// acknowledged; the list keeps its old value otherwise.
bool runWrite(ParameterLink& link, const WritePlan& plan);

// The "Parameter Set " text after a write of 00E9 ("%ld" of the value).
std::string parameterSetText(std::uint16_t value);

}  // namespace kestrel
