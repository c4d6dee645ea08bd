#include <tern/gateway/GatewaySettings.h>

#include <platform/ParseInt.h>

namespace tern::gateway {

namespace {

bool parsePort(const std::string& text, uint16_t& port)
{
    const auto value = platform::parseInt<uint16_t>(text);
    if (value) port = *value;
    return value.has_value();
}

}  // namespace

bool parseListen(const std::string& text, GatewaySettings& settings, std::string& error)
{
    std::string address = settings.address;
    std::string port = text;
    if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        address = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
            address = address.substr(1, address.size() - 2);
        if (address.empty()) return error = "no address before ':' in '" + text + "'", false;
    }
    uint16_t number = 0;
    if (!parsePort(port, number)) return error = "bad port in '" + text + "'", false;
    settings.address = address;
    settings.port = number;
    return true;
}

}  // namespace tern::gateway
