#include <merlin/core/DownloadCheck.h>

#include <merlin/core/CBulkTransfer.h>
#include <merlin/core/CModbusLink.h>
#include <platform/Notice.h>

namespace merlin {

namespace {

std::string Named(const CPar& par)
{
    return platform::strFormat("%d %s", par.registerNumber, par.name.c_str());
}

std::string MissingLine(const CDpfParSet& set, const ParFileReading& reading, int listed)
{
    std::string line = reading.read == 0 ? std::string("the file holds no parameter")
                                         : platform::strFormat("the file holds %d of %d parameters", reading.read,
                                                               reading.expected);
    if (reading.cut)
        line += ", then part of a record";
    if (reading.expected > 0 && reading.read < reading.expected) {
        line += "; not in the file:";
        const int missing = reading.expected - reading.read;
        for (int k = reading.read; k < reading.expected && k < reading.read + listed; ++k)
            line += (k == reading.read ? " " : ", ") + Named(set.At(k));
        if (missing > listed)
            line += platform::strFormat(" and %d more", missing - listed);
    }
    return line;
}

std::string LimitsLine(const DownloadCheck& check, const CDpfParSet& set, int listed)
{
    std::string line = platform::strFormat("%d values outside their limits:", static_cast<int>(check.outOfLimits.size()));
    for (size_t n = 0; n < check.outOfLimits.size() && static_cast<int>(n) < listed; ++n) {
        const CPar& par = set.At(check.outOfLimits[n]);
        line += platform::strFormat("%s %s = %d (%d to %d)", n ? "," : "", Named(par).c_str(), par.value, par.min,
                                    par.max);
    }
    if (static_cast<int>(check.outOfLimits.size()) > listed)
        line += platform::strFormat(" and %d more", static_cast<int>(check.outOfLimits.size()) - listed);
    return line;
}

}  // namespace

bool FitsParameter(const CPar& par, int value)
{
    return value >= par.min && value <= par.max && registerToRaw(rawToRegister(value), par.min) == value;
}

DownloadCheck CheckForDownload(const CDpfParSet& set)
{
    DownloadCheck check;
    check.reading = set.FileReading();
    const ParFileReading& r = check.reading;
    check.identityMatches =
        r.deviceType == set.DeviceType() && r.application == set.Application() && r.version == set.Version();
    for (int k = 0; k < r.read && k < set.Count(); ++k) {
        const CPar& par = set.At(k);
        if (CBulkTransfer::DownloadWrites(set, par) && !FitsParameter(par, par.value))
            check.outOfLimits.push_back(k);
    }
    return check;
}

std::string DescribeRefusal(const DownloadCheck& check, const CDpfParSet& set, int listed)
{
    std::string text;
    const auto add = [&](const std::string& line) { text += (text.empty() ? "" : "\n") + line; };
    const ParFileReading& r = check.reading;
    if (!r.Whole())
        add(MissingLine(set, r, listed));
    if (r.surplus)
        add(platform::strFormat("the file holds more than the %d parameters of %s", r.expected,
                                set.DefinitionName().c_str()));
    if (!check.identityMatches)
        add(platform::strFormat("the file's header names device type %u, application %u, version %u; %s describes "
                                "%u, %u, %u",
                                r.deviceType, r.application, r.version, set.DefinitionName().c_str(),
                                set.DeviceType(), set.Application(), set.Version()));
    if (!check.outOfLimits.empty())
        add(LimitsLine(check, set, listed));
    return text;
}

}  // namespace merlin
