#include <sim/sio/SioCommand.h>

#include <platform/ParseInt.h>

#include <sstream>
#include <vector>

namespace sim {

namespace {

bool toAddress(const std::string& s, int& a)
{
    const auto n = platform::parseInt(s, 0, 31);
    if (n) a = *n;
    return n.has_value();
}

SioCommandResult fail(const std::string& text)
{
    return {false, false, "error: " + text};
}

SioCommandResult done(const std::string& text = {})
{
    return {true, false, text};
}

SioCommandResult keypad(SioBus& bus, const std::vector<std::string>& w, int addr)
{
    if (w.size() != 4)
        return fail("usage: keypad <addr> <param> <value>");
    const auto number = parseHex4(std::string(4 - std::min<size_t>(4, w[2].size()), '0') + w[2]);
    const auto value = parseHex4(std::string(4 - std::min<size_t>(4, w[3].size()), '0') + w[3]);
    if (!number || !value)
        return fail("parameter and value are hexadecimal, at most 4 digits");
    if (!bus.keypadChange(addr, *number, *value))
        return fail("no such drive or parameter");
    return done("ok keypad " + std::to_string(addr) + " " + hex4(*number) + "=" + hex4(*value));
}

SioCommandResult status(SioBus& bus, int addr)
{
    std::string text;
    const bool found = bus.withDrive(addr, [&](SioDrive& d) {
        text = "status " + std::to_string(addr) + " E8=" + hex4(d.statusWord()) + " AD=" + hex4(d.controlWord())
               + " E9=" + std::to_string(d.parameterSet()) + " 3A=" + hex4(d.value(sioparam::kSetpoint))
               + " 31=" + hex4(d.value(sioparam::kSource));
    });
    return found ? done(text) : fail("no such drive");
}

}  // namespace

SioCommandResult runSioCommand(SioBus& bus, const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;)
        w.push_back(s);
    if (w.empty())
        return done();
    if (w[0] == "quit" || w[0] == "exit")
        return {true, true, {}};
    if (w[0] == "clear-faults") {
        bus.clearFaults();
        return done("ok");
    }
    if (w[0] == "fault") {
        const auto f = w.size() == 2 ? SioFault::parse(w[1]) : std::nullopt;
        if (!f)
            return fail("usage: fault KIND[:N][@ADDR]");
        bus.addFault(*f);
        return done("ok");
    }
    int addr = -1;
    if (w.size() < 2 || !toAddress(w[1], addr))
        return fail("unknown command or bad address: " + line);
    if (w[0] == "keypad")
        return keypad(bus, w, addr);
    if (w[0] == "status")
        return status(bus, addr);
    if (w[0] == "trip") {
        int code = -1;
        if (w.size() != 3 || !toAddress(w[2], code))
            return fail("usage: trip <addr> <code 0..31>");
        return bus.trip(addr, static_cast<uint16_t>(code)) ? done("ok") : fail("no such drive");
    }
    if (w[0] == "sio" && w.size() == 3 && (w[2] == "on" || w[2] == "off")) {
        const bool on = w[2] == "on";
        return bus.withDrive(addr, [on](SioDrive& d) { d.setSioControl(on); }) ? done("ok") : fail("no such drive");
    }
    return fail("unknown command: " + line);
}

}  // namespace sim
