#include <sim/modbusdrive/MerlinDriveLoader.h>

#include <platform/WorkingInstallation.h>

#include <filesystem>

namespace sim {

std::optional<DriveSpec> parseDriveSpec(const std::string& text)
{
    const size_t at = text.rfind('@');
    if (at == std::string::npos || at == 0 || at + 1 >= text.size())
        return std::nullopt;
    const std::string unit = text.substr(at + 1);
    if (unit.size() > 3 || unit.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int number = std::stoi(unit);
    if (number < 1 || number > 247)
        return std::nullopt;
    return DriveSpec{text.substr(0, at), static_cast<uint8_t>(number)};
}

std::string defaultDefinitionDirectory()
{
    return platform::programInstallation() + "/DeviceData";
}

std::unique_ptr<MerlinDrive> loadDrive(const std::string& definitionDir, const std::string& file, uint16_t password,
                                       std::string& error)
{
    const std::filesystem::path path =
        file.find('/') != std::string::npos ? std::filesystem::path(file) : std::filesystem::path(definitionDir) / file;
    merlin::CDpfParSet definition;
    definition.SetTrace(nullptr);
    definition.ResetTables();
    const int parsed = definition.ParseDefinition(path);
    if (parsed == merlin::kParseNoFile) {
        error = "cannot read " + path.string();
        return nullptr;
    }
    definition.BuildParameterSet();
    error = parsed == merlin::kParseOk ? std::string() : path.string() + ": definition read only in part";
    return std::make_unique<MerlinDrive>(definition, password);
}

}  // namespace sim
