#pragma once
// Builds simulated drives from definition files: "--drive FILE.dpf@UNIT"
// names a file in the definition directory (or a path when it holds a '/')
// and the unit address the drive answers at.
#include <sim/modbusdrive/MerlinDrive.h>

#include <memory>
#include <optional>
#include <string>

namespace sim {

struct DriveSpec {
    std::string file;
    uint8_t unit = 1;
};

// "FILE@UNIT" with a unit 1..247; nullopt when it is not that.
std::optional<DriveSpec> parseDriveSpec(const std::string& text);
// The definition directory next to the running program: <dir of exe>/DeviceData.
std::string defaultDefinitionDirectory();
// Reads the definition (its diagnostic trace dropped) and builds the drive;
// nullptr with the reason in error when the file cannot be read. A file
// whose parse ends early still gives a drive of what was read, with a
// warning in error.
std::unique_ptr<MerlinDrive> loadDrive(const std::string& definitionDir, const std::string& file, uint16_t password,
                                       std::string& error);

}  // namespace sim
