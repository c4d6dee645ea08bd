#include <kestrel/core/CDeviceTable.h>

#include <kestrel/core/FileBytes.h>

#include <cstdio>
#include <cstring>

namespace kestrel {

std::string CDeviceTable::defaultPath()
{
    return state().installPath(kFileName);
}

bool CDeviceTable::load(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    std::array<uint8_t, kFileSize> buf;
    const std::size_t got = std::fread(buf.data(), 1, buf.size(), f);
    std::fclose(f);
    std::memcpy(image_.data(), buf.data(), got);
    return true;
}

bool CDeviceTable::save(const std::string& path) const
{
    // Replaced as a whole: a failed write keeps the old table.
    return replaceFileBytes(path, std::string_view(reinterpret_cast<const char*>(image_.data()), image_.size()));
}

bool CDeviceTable::present(int address) const
{
    return valid(address) && record(address)[1] == 1;
}

void CDeviceTable::setPresent(int address, bool on)
{
    if (valid(address))
        record(address)[1] = on ? 1 : 0;
}

void CDeviceTable::clearAllPresent()
{
    for (int a = 0; a < kAddressCount; ++a)
        setPresent(a, false);
}

std::string CDeviceTable::name(int address) const
{
    if (!valid(address))
        return {};
    const char* p = reinterpret_cast<const char*>(record(address) + kNameOffset);
    std::size_t n = 0;
    while (n < kMaxName && p[n] != '\0')
        ++n;
    return std::string(p, n);
}

void CDeviceTable::setName(int address, const std::string& name)
{
    if (!valid(address))
        return;
    uint8_t* p = record(address) + kNameOffset;
    const std::size_t n = std::min(name.size(), kMaxName);
    std::memcpy(p, name.data(), n);
    std::memset(p + n, 0, kMaxName + 1 - n);
}

int32_t CDeviceTable::ratedPower(int address) const
{
    if (!valid(address))
        return 0;
    const uint8_t* p = record(address) + kPowerOffset;
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return static_cast<int32_t>(v);
}

void CDeviceTable::setRatedPower(int address, int32_t power)
{
    if (!valid(address))
        return;
    uint8_t* p = record(address) + kPowerOffset;
    const uint32_t v = static_cast<uint32_t>(power);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

DeviceTitleResult DeviceTitle(const std::string& address)
{
    DeviceTitleResult r;
    if (address.empty())
        return r;
    int a = 0;
    for (char c : address) {
        if (c < '0' || c > '9' || a > 100)
            break;
        a = a * 10 + (c - '0');
    }
    CDeviceTable table;
    if (!table.load(CDeviceTable::defaultPath()))
        r.notice = platform::Notice{"netlist.cfg nof found !", platform::MsgIcon::Exclamation};
    char head[32];
    std::snprintf(head, sizeof head, "ADDR=%.2d", a);
    r.title = std::string(head) + "\"" + table.name(a) + "\"";
    return r;
}

std::string CDeviceTable::ratedPowerText(int32_t power)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.2f %s", power * 0.01, "kW");
    return buf;
}

std::optional<platform::Notice> RenameDevice(int address, const std::string& name)
{
    if (address < 0 || address >= kAddressCount)
        return std::nullopt;
    if (state().windowPresence[static_cast<std::size_t>(address)] != '0')
        return platform::Notice{"You cannot change the name of an active device !", platform::MsgIcon::Exclamation};
    CDeviceTable table;
    const std::string path = CDeviceTable::defaultPath();
    table.load(path);
    table.setName(address, name);
    if (!table.save(path))
        return platform::Notice{"'" + path + "'\ncouldn't accessed !", platform::MsgIcon::Stop};
    return std::nullopt;
}

}  // namespace kestrel
