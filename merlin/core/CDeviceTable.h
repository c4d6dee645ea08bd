#pragma once
// Merlin's table of the drives on the line: one 56-byte record per station
// 1..32, kept for the whole run and stored byte for byte as "netlist2.cfg"
// in the installation directory (1792 bytes, station order):
//   0 reserved, 1 present flag, 2..35 name (NUL-terminated),
//   36 device type, 40 application, 44 software version (u32, little-endian),
//   48..55 reserved.
// Bytes the program does not own are written back as they were read.
#include <platform/Notice.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace merlin {

class CDeviceTable {
public:
    static constexpr int kStations = 32;
    static constexpr size_t kRecordSize = 56;
    static constexpr size_t kFileSize = kStations * kRecordSize;
    static constexpr size_t kNameSize = 34;
    static constexpr const char* kFileName = "netlist2.cfg";

    struct Row {
        int station;
        std::string deviceType;   // "LM3", "LT4", ...
        std::string name;
        std::string application;  // "Normal V3"
    };

    static std::string path(const std::string& installDir);

    // Reads the file as far as it goes; false when it cannot be opened (the
    // table is then unchanged).
    bool load(const std::string& installDir);
    // Creates the file anew with the whole table; the message to show when
    // that fails (an apostrophe, the path, "'\ncouldn't accessed !").
    std::optional<platform::Notice> save(const std::string& installDir) const;

    // Stations count from 1; stations outside 1..32 read as absent and
    // ignore changes.
    bool present(int station) const;
    void setPresent(int station, bool present);
    void clearPresent();
    std::string name(int station) const;
    // At most 33 characters are kept; the rest of the field is zeroed.
    void setName(int station, const std::string& name);
    uint32_t deviceType(int station) const { return number(station, 36); }
    uint32_t application(int station) const { return number(station, 40); }
    uint32_t version(int station) const { return number(station, 44); }
    void setIdentification(int station, uint32_t deviceType, uint32_t application, uint32_t version);

    // The present drives in station order, as the network dialog lists them.
    std::vector<Row> presentRows() const;
    // The name of a drive is written to the file at once; the drive the
    // active view is online with keeps its name.
    std::optional<platform::Notice> rename(const std::string& installDir, int station, const std::string& name,
                                      int activeStation);

    const std::array<uint8_t, kFileSize>& image() const { return image_; }

private:
    uint8_t* record(int station);
    const uint8_t* record(int station) const;
    uint32_t number(int station, size_t offset) const;
    void setNumber(int station, size_t offset, uint32_t value);

    std::array<uint8_t, kFileSize> image_{};
};

}  // namespace merlin
