#pragma once
// Hand-made parameter databases, working files and list files for the list
// and file tests, in an install directory of their own.
#include <kestrel/core/TvkRecord.h>
#include <kestrel/core/WorkRecord.h>
#include <platform/testing/TempDir.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::testing {

inline TvkFields paramFields(std::uint16_t number, std::string name, std::uint16_t attribute = 0,
                             int decimals = 0, std::int16_t min = 0, std::int16_t max = 1000,
                             std::uint16_t defaultValue = 0, std::uint16_t value = 0)
{
    TvkFields f;
    f.number = number;
    f.name = std::move(name);
    f.attribute = attribute;
    f.decimals = decimals;
    f.minimum = min;
    f.maximum = max;
    f.defaultValue = defaultValue;
    f.value = value;
    f.extra = "0000";
    return f;
}

inline TvkFields header(std::uint16_t number, std::string title)
{
    return paramFields(number, std::move(title), 0x0800, 0, 0, 0);
}

// Adds a header record for every group up to the last one that has none,
// as a drive's database has one for each group.
inline std::vector<TvkFields> withAllHeaders(std::vector<TvkFields> fields)
{
    std::vector<TvkFields> out;
    int nextGroup = 0;
    for (const auto& f : fields) {
        for (; nextGroup <= f.number / 16; ++nextGroup)
            if (nextGroup < f.number / 16 || f.number % 16 != 0)
                out.push_back(header(static_cast<std::uint16_t>(16 * nextGroup),
                                     "Group " + std::to_string(nextGroup)));
        out.push_back(f);
    }
    return out;
}

// Version 12.34: groups 0 to 0x14; parameters in groups 0, 1, 2, 8
// (service), A, E, F and 0x14 (service), the others hold only their header.
inline std::vector<TvkFields> catalogue1234()
{
    return withAllHeaders({
        header(0x0000, "Identification"),
        paramFields(0x0001, "Drive type", 0x0A00, 0, 0, 100, 3, 3),
        paramFields(0x0002, "Rated current", 0x6001, 1, 0, 5000, 120, 120),
        header(0x0010, "Basic settings"),
        paramFields(0x0011, "Max frequency", 0x1040, 1, 0, 4000, 500, 500),
        paramFields(0x0013, "Accel time", 0x2000, 2, 1, 30000, 1000, 1000),
        paramFields(0x0014, "Control word", 0x0220, 0, -100, 0x7FFF, 0x00FF, 0x00FF),
        header(0x0020, "Motor data"),
        paramFields(0x0021, "Motor power", 0xB002, 2, 0, 32000, 7500, 7500),
        paramFields(0x0022, "Str\x94mung m\xFD", 0x0060, 0, -50, 50, 0, 0),
        paramFields(0x002C, "Language", 0x0000, 0, 0, 5, 1, 1),
        paramFields(0x002D, "Warm start", 0x0000, 0, 0, 1, 0, 0),
        header(0x0080, "Service"),
        paramFields(0x0087, "Access code", 0x0200, 0, 0, 0x7FFF, 0, 0),
        paramFields(0x0088, "Factory test", 0x0100, 0, 0, 10, 0, 0),
        header(0x00A0, "Serial link"),
        paramFields(0x00A8, "Baud rate", 0x0000, 0, 0, 6, 3, 3),
        paramFields(0x00A9, "Address", 0x0000, 0, 0, 31, 1, 1),
        header(0x00E0, "System"),
        paramFields(0x00E4, "Software vers.", 0x0800, 0, 0, 0x7FFF, 0, 0x04D2),
        paramFields(0x00E8, "Status word", 0x0A00, 0, 0, 0x7FFF, 0, 0x2005),
        paramFields(0x00E9, "Parameter set", 0x0040, 0, 1, 3, 1, 1),
        header(0x00F0, "Power"),
        paramFields(0x00F1, "Rated power", 0xB800, 2, 0, 32000, 375, 375),
        header(0x0140, "Service 14"),
        paramFields(0x0141, "Trim offset", 0x0100, 0, -10, 10, 0, 0),
        paramFields(0x0142, "Trim gain", 0x0000, 1, 0, 100, 10, 10),
    });
}

inline std::string databaseBytes(const std::vector<TvkFields>& fields, bool endMark = true)
{
    std::string bytes;
    for (const auto& f : fields) bytes += TvkRecord::fromFields(f).bytes();
    if (endMark) bytes += std::string(TvkRecord::kEndMark);
    return bytes;
}

// The working file of a full list: every database record with its value.
inline std::string fullWorkBytes(const std::vector<TvkFields>& fields)
{
    std::string bytes;
    for (const auto& f : fields) bytes += WorkRecord(f.number, f.value).serialise();
    return bytes;
}

inline std::string workBytes(const std::vector<WorkRecord>& records)
{
    std::string bytes;
    for (const auto& r : records) bytes += r.serialise();
    return bytes;
}

inline std::string listHeader(const std::string& version)
{
    std::string pc = "PC : 1.4.1";
    pc.resize(29, '\0');
    return pc + "\r\nINV: A" + version + "\r\n";
}

inline std::string listFileBytes(const std::string& version, const std::string& body)
{
    return listHeader(version) + body + std::string("END\0\r\n", 6);
}

// An install directory with tvk/, parameter/ and custom/.
class Install {
public:
    Install()
    {
        dir_.write("tvk/.keep", "");
        dir_.write("parameter/.keep", "");
        dir_.write("custom/.keep", "");
    }
    const std::string& path() const { return dir_.path(); }
    std::string file(const std::string& relative) const { return dir_.file(relative); }
    std::string write(const std::string& relative, const std::string& bytes) const
    {
        return dir_.write(relative, bytes);
    }
    std::string read(const std::string& relative) const { return dir_.read(relative); }
    std::string writeDatabase(const std::string& digits, const std::vector<TvkFields>& fields,
                              bool endMark = true) const
    {
        return write("tvk/RQ-" + digits + ".tvk", databaseBytes(fields, endMark));
    }

private:
    platform::testing::TempDir dir_;
};

}  // namespace kestrel::testing
