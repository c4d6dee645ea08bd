#include <merlin/core/CDeviceTable.h>
#include <merlin/core/FileAccessMessage.h>

#include <merlin/core/DeviceNames.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace merlin {

std::string CDeviceTable::path(const std::string& installDir)
{
    return installDir + "/" + kFileName;
}

bool CDeviceTable::load(const std::string& installDir)
{
    std::ifstream in(path(installDir), std::ios::binary);
    if (!in)
        return false;
    std::array<uint8_t, kFileSize> data = image_;
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    // A shorter file replaces only the records it holds.
    const auto got = static_cast<size_t>(in.gcount());
    std::copy_n(data.begin(), got, image_.begin());
    return true;
}

std::optional<platform::Notice> CDeviceTable::save(const std::string& installDir) const
{
    const std::string file = path(installDir);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(reinterpret_cast<const char*>(image_.data()), static_cast<std::streamsize>(image_.size()));
    if (out)
        out.close();
    if (!out)
        return fileAccessMessage(file);
    return std::nullopt;
}

uint8_t* CDeviceTable::record(int station)
{
    if (station < 1 || station > kStations)
        return nullptr;
    return image_.data() + static_cast<size_t>(station - 1) * kRecordSize;
}

const uint8_t* CDeviceTable::record(int station) const
{
    return const_cast<CDeviceTable*>(this)->record(station);
}

bool CDeviceTable::present(int station) const
{
    const uint8_t* r = record(station);
    return r && r[1] == 1;
}

void CDeviceTable::setPresent(int station, bool isPresent)
{
    if (uint8_t* r = record(station))
        r[1] = isPresent ? 1 : 0;
}

void CDeviceTable::clearPresent()
{
    for (int station = 1; station <= kStations; ++station)
        setPresent(station, false);
}

std::string CDeviceTable::name(int station) const
{
    const uint8_t* r = record(station);
    if (!r)
        return {};
    const char* field = reinterpret_cast<const char*>(r + 2);
    return std::string(field, strnlen(field, kNameSize));
}

void CDeviceTable::setName(int station, const std::string& newName)
{
    uint8_t* r = record(station);
    if (!r)
        return;
    const size_t length = std::min(newName.size(), kNameSize - 1);
    std::memset(r + 2, 0, kNameSize);
    std::memcpy(r + 2, newName.data(), length);
}

uint32_t CDeviceTable::number(int station, size_t offset) const
{
    const uint8_t* r = record(station);
    if (!r)
        return 0;
    return static_cast<uint32_t>(r[offset]) | static_cast<uint32_t>(r[offset + 1]) << 8 |
           static_cast<uint32_t>(r[offset + 2]) << 16 | static_cast<uint32_t>(r[offset + 3]) << 24;
}

void CDeviceTable::setNumber(int station, size_t offset, uint32_t value)
{
    uint8_t* r = record(station);
    if (!r)
        return;
    for (int i = 0; i < 4; ++i)
        r[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void CDeviceTable::setIdentification(int station, uint32_t type, uint32_t app, uint32_t ver)
{
    setNumber(station, 36, type);
    setNumber(station, 40, app);
    setNumber(station, 44, ver);
}

std::vector<CDeviceTable::Row> CDeviceTable::presentRows() const
{
    std::vector<Row> rows;
    for (int station = 1; station <= kStations; ++station) {
        if (!present(station))
            continue;
        rows.push_back({station, deviceTypeName(deviceType(station)), name(station),
                        applicationText(application(station), version(station))});
    }
    return rows;
}

std::optional<platform::Notice> CDeviceTable::rename(const std::string& installDir, int station,
                                                const std::string& newName, int activeStation)
{
    if (activeStation > 0 && station == activeStation)
        return platform::Notice{"You cannot change the name of an active device !", platform::MsgIcon::Exclamation};
    load(installDir);
    setName(station, newName);
    return save(installDir);
}

}  // namespace merlin
