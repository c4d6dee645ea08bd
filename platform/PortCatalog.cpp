#include <platform/PortCatalog.h>

#include <platform/RemoteSerialPort.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

namespace platform {

namespace fs = std::filesystem;

bool parseByIdName(const std::string& name, SerialDeviceInfo& out)
{
    // usb-<maker>_<model words>_<serial>-if<nn>[-port<n>]
    static const std::regex form(R"(^usb-([^_]+)_(.+)_([^_-]+)-if[0-9]+(-port[0-9]+)?$)");
    std::smatch m;
    if (!std::regex_match(name, m, form)) return false;
    out.maker = m[1];
    out.model = m[2];
    out.serial = m[3];
    return true;
}

std::vector<SerialDeviceInfo> listSerialDevices(const std::string& devRoot)
{
    std::vector<SerialDeviceInfo> found;
    std::set<std::string> covered;
    std::error_code ec;
    const fs::path byId = fs::path(devRoot) / "serial" / "by-id";
    for (const auto& entry : fs::directory_iterator(byId, ec)) {
        SerialDeviceInfo info;
        info.path = entry.path().string();
        std::error_code rec;
        const fs::path target = fs::weakly_canonical(entry.path(), rec);
        info.device = rec ? info.path : target.string();
        if (!parseByIdName(entry.path().filename().string(), info)) info.model = entry.path().filename().string();
        covered.insert(info.device);
        found.push_back(info);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    std::vector<SerialDeviceInfo> plain;
    for (const auto& entry : fs::directory_iterator(devRoot, ec)) {
        const std::string name = entry.path().filename().string();
        const bool serialName = name.rfind("ttyS", 0) == 0 || name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
        if (!serialName || covered.count(entry.path().string())) continue;
        SerialDeviceInfo info;
        info.path = info.device = entry.path().string();
        plain.push_back(info);
    }
    // ttyS2 before ttyS10: by prefix, then by number.
    auto key = [](const std::string& p) {
        const std::string name = fs::path(p).filename().string();
        const size_t digits = name.find_first_of("0123456789");
        const std::string prefix = name.substr(0, digits);
        return std::make_pair(prefix, digits == std::string::npos ? -1 : std::atoi(name.c_str() + digits));
    };
    std::sort(plain.begin(), plain.end(), [&](const auto& a, const auto& b) { return key(a.path) < key(b.path); });
    found.insert(found.end(), plain.begin(), plain.end());
    return found;
}

bool devicePresent(const std::string& device)
{
    if (parseRemoteAddress(device)) return true;
    std::error_code ec;
    return fs::exists(device, ec);
}

}  // namespace platform
