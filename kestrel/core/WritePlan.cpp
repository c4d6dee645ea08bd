#include <kestrel/core/WritePlan.h>

#include <kestrel/core/ListMessages.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ParameterNumbers.h>

namespace kestrel {

WritePlan planWrite(std::uint16_t number, std::uint16_t value)
{
    WritePlan plan;
    plan.number = number;
    plan.value = value;
    plan.writeText = formatHex4(number) + formatHex4(value);
    if (number == param::kParameterSet.number()) {
        plan.before = msg::kParameterSetChange;
        plan.warmUpTitle = "Parameter Set Changed";
        plan.showsParameterSet = true;
    }
    plan.warmUpAfter = number == param::kWarmUpAfterWrite.number();
    return plan;
}

bool runWrite(ParameterLink& link, const WritePlan& plan)
{
    if (!link.read(param::kErrorRegister.digits())) return false;
    const bool written = link.write(plan.writeText);
    // Reading the error register again clears what the write left there;
    // its value is of no further use here.
    (void)link.read(param::kErrorRegister.digits());
    return written;
}

std::string parameterSetText(std::uint16_t value) { return std::to_string(static_cast<long>(value)); }

}  // namespace kestrel
