#include <tern/gateway/GatewayProgram.h>

#include <platform/ParseInt.h>

#include <functional>
#include <map>

namespace tern::gateway {

const char* const kGatewayUsage =
    "usage: tern --gateway LISTEN --line COMn [options]\n"
    "\n"
    "Serves the serial line COMn to Modbus/TCP masters (the MBAP unit id is\n"
    "the station) and, when a session bus is there, to bus clients of the\n"
    "connection XYZ, all through one fair queue. LISTEN is PORT (loopback\n"
    "only), ADDRESS:PORT or [IPv6]:PORT; 0.0.0.0:502 serves every interface.\n"
    "\n"
    "  --baud N            line speed (9600)\n"
    "  --parity none|odd|even, --stop-bits 1|2, --ascii (RTU by default)\n"
    "  --timeout MS        response time-out of a station (1000)\n"
    "  --allow ADDR[/BITS] let in only these clients (repeatable)\n"
    "  --read-only         answer every write with exception 01\n"
    "  --max-clients N     (16)   --max-in-flight N  requests per client (8)\n"
    "  --idle-timeout S    drop a client silent this long (60; 0 never)\n"
    "  --connection NAME   bus connection name shared with clients (XYZ)\n"
    "  --no-bus            serve TCP only\n";

namespace {

bool number(const std::string& text, long low, long high, long& value)
{
    const auto n = platform::parseInt(text, low, high);
    if (n) value = *n;
    return n.has_value();
}

using Setter = std::function<bool(GatewayOptions&, const std::string&)>;

template <typename T>
Setter numeric(T GatewayOptions::*field, long low, long high)
{
    return [=](GatewayOptions& o, const std::string& v) {
        long n = 0;
        if (!number(v, low, high, n)) return false;
        o.*field = static_cast<T>(n);
        return true;
    };
}

template <typename T>
Setter setting(T GatewaySettings::*field, long low, long high, long scale = 1)
{
    return [=](GatewayOptions& o, const std::string& v) {
        long n = 0;
        if (!number(v, low, high, n)) return false;
        o.settings.*field = static_cast<T>(n * scale);
        return true;
    };
}

const std::map<std::string, Setter>& valueOptions()
{
    static const std::map<std::string, Setter> table{
        {"--gateway", [](GatewayOptions& o, const std::string& v) { std::string e; return parseListen(v, o.settings, e); }},
        {"--line", [](GatewayOptions& o, const std::string& v) {
             long n = 0;
             if (v.size() < 4 || v.compare(0, 3, "COM") != 0 || !number(v.substr(3), 1, 8, n)) return false;
             o.comPort = static_cast<int>(n);
             return true;
         }},
        {"--baud", numeric(&GatewayOptions::baudRate, 50, 4000000)},
        {"--parity", [](GatewayOptions& o, const std::string& v) {
             static const std::map<std::string, uint8_t> codes{{"none", 0}, {"odd", 1}, {"even", 2}};
             auto it = codes.find(v);
             if (it == codes.end()) return false;
             o.parity = it->second;
             return true;
         }},
        {"--stop-bits", [](GatewayOptions& o, const std::string& v) {
             if (v != "1" && v != "2") return false;
             o.stopBits = v == "1" ? 0 : 2;
             return true;
         }},
        {"--timeout", numeric(&GatewayOptions::timeOutMs, 1, 60000)},
        {"--allow", [](GatewayOptions& o, const std::string& v) { o.settings.allow.push_back(v); return !v.empty(); }},
        {"--max-clients", setting(&GatewaySettings::maxClients, 1, 1000)},
        {"--max-in-flight", setting(&GatewaySettings::maxInFlight, 1, 1000)},
        {"--idle-timeout", setting(&GatewaySettings::idleTimeOutMs, 0, 86400, 1000)},
        {"--connection", [](GatewayOptions& o, const std::string& v) { o.connection = v; return !v.empty(); }},
    };
    return table;
}

}  // namespace

bool wantsGateway(const std::vector<std::string>& args)
{
    for (const auto& a : args)
        if (a == "--gateway") return true;
    return false;
}

bool parseGatewayCommandLine(const std::vector<std::string>& args, GatewayOptions& options, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--read-only") options.settings.readOnly = true;
        else if (a == "--ascii") options.ascii = true;
        else if (a == "--no-bus") options.bus = false;
        else if (auto it = valueOptions().find(a); it != valueOptions().end()) {
            if (i + 1 >= args.size()) return error = a + " needs a value", false;
            if (!it->second(options, args[++i])) return error = a + ": bad value '" + args[i] + "'", false;
        } else {
            return error = "unknown option '" + a + "'", false;
        }
    }
    if (options.comPort == 0) return error = "--line COMn is missing", false;
    return true;
}

}  // namespace tern::gateway
