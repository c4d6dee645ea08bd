#pragma once
// The device table: one 52-byte record per address 0..31, the same bytes in
// memory and in "netlist.cfg" (1664 bytes, no header, little-endian):
//
//   off size field
//    0   1   reserved, written back as read
//    1   1   present: the drive answered at the last examination
//    2  34   name, NUL-terminated, at most 30 characters
//   36   4   rated power, signed 32-bit, 0.01 kW (parameter 00F1)
//   40  12   reserved, never written
#include <kestrel/core/KestrelState.h>
#include <platform/Notice.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

class CDeviceTable {
public:
    static constexpr std::size_t kRecordSize = 52;
    static constexpr std::size_t kFileSize = kRecordSize * kAddressCount;  // 1664
    static constexpr std::size_t kNameOffset = 2;
    static constexpr std::size_t kNameField = 34;
    static constexpr std::size_t kMaxName = 30;
    static constexpr std::size_t kPowerOffset = 36;
    static constexpr const char* kFileName = "/netlist.cfg";

    CDeviceTable() { image_.fill(0); }

    // "<install>/netlist.cfg".
    static std::string defaultPath();

    // Reads the file over the table as far as it goes (a short file leaves
    // the rest of the table as it was). False when it cannot be opened.
    bool load(const std::string& path);
    // Deletes the file and writes the whole table anew.
    bool save(const std::string& path) const;

    bool present(int address) const;
    void setPresent(int address, bool on);
    void clearAllPresent();
    // The stored name, up to its terminator (at most 30 characters, even in
    // a damaged file).
    std::string name(int address) const;
    // Cut to 30 characters; the name bytes after the terminator up to the
    // 31st are zeroed.
    void setName(int address, const std::string& name);
    int32_t ratedPower(int address) const;
    void setRatedPower(int address, int32_t power);

    const std::array<uint8_t, kFileSize>& bytes() const { return image_; }

    // "RATED POWER" column: "15.00 kW" for 1500.
    static std::string ratedPowerText(int32_t power);

private:
    uint8_t* record(int address) { return image_.data() + static_cast<std::size_t>(address) * kRecordSize; }
    const uint8_t* record(int address) const
    {
        return image_.data() + static_cast<std::size_t>(address) * kRecordSize;
    }
    static bool valid(int address) { return address >= 0 && address < kAddressCount; }

    std::array<uint8_t, kFileSize> image_;
};

// Title of a device document: "ADDR=05" and the drive's name in double
// quotes, from "netlist.cfg". An empty address gives an empty title; a file
// that cannot be read gives the title without a name and the notice
// "netlist.cfg nof found !".
struct DeviceTitleResult {
    std::string title;
    std::optional<platform::Notice> notice;
};
DeviceTitleResult DeviceTitle(const std::string& address);

// "Change Name" of the network dialog: refused for a drive with an open list
// or keypad window; otherwise the name goes into "netlist.cfg" (read, changed,
// rewritten). Returns the notice to show, if any.
std::optional<platform::Notice> RenameDevice(int address, const std::string& name);

}  // namespace kestrel
