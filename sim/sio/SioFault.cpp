#include <sim/sio/SioFault.h>

#include <platform/ParseInt.h>

namespace sim {

namespace {

bool toInt(const std::string& s, int& out)
{
    const auto n = platform::parseInt<int>(s);
    if (!n || *n < 0)
        return false;
    out = *n;
    return true;
}

}  // namespace

std::optional<SioFault> SioFault::parse(const std::string& spec)
{
    SioFault f;
    std::string rest = spec;
    const size_t at = rest.find('@');
    if (at != std::string::npos) {
        if (!toInt(rest.substr(at + 1), f.address) || f.address > 31)
            return std::nullopt;
        rest.resize(at);
    }
    std::string arg;
    const size_t colon = rest.find(':');
    if (colon != std::string::npos) {
        arg = rest.substr(colon + 1);
        rest.resize(colon);
    }
    if (rest == "silent") f.kind = Silent;
    else if (rest == "badbcc") f.kind = BadBcc;
    else if (rest == "truncate") f.kind = Truncate;
    else if (rest == "noise") f.kind = Noise;
    else if (rest == "delay") f.kind = Delay;
    else return std::nullopt;
    int n = 0;
    if (!arg.empty() && !toInt(arg, n))
        return std::nullopt;
    if (f.kind == Delay) {
        if (arg.empty())
            return std::nullopt;
        f.delayMs = static_cast<unsigned>(n);
    } else if (!arg.empty()) {
        f.remaining = n;
    }
    return f;
}

}  // namespace sim
