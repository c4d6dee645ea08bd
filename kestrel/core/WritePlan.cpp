#include <kestrel/core/WritePlan.h>

#include <kestrel/core/ListMessages.h>
#include <kestrel/core/HexText.h>

namespace kestrel {

WritePlan planWrite(std::uint16_t number, std::uint16_t value)
{
    WritePlan plan;
    plan.number = number;
    plan.value = value;
    plan.writeText = formatHex4(number) + formatHex4(value);
    if (number == 0x00E9) {
        plan.before = msg::kParameterSetChange;
        plan.warmUpTitle = "Parameter Set Changed";
        plan.showsParameterSet = true;
    }
    plan.warmUpAfter = number == 0x002D;
    return plan;
}

bool runWrite(ParameterLink& link, const WritePlan& plan)
{
    if (!link.read("00AC")) return false;
    const bool written = link.write(plan.writeText);
    // Reading the error register again clears what the write left there;
    // its value is of no further use here.
    (void)link.read("00AC");
    return written;
}

std::string parameterSetText(std::uint16_t value) { return std::to_string(static_cast<long>(value)); }

}  // namespace kestrel
