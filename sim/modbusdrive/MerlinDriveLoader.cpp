#include <sim/modbusdrive/MerlinDriveLoader.h>

#include <platform/ParseInt.h>
#include <platform/WorkingInstallation.h>

#include <filesystem>

namespace sim {

std::optional<DriveSpec> parseDriveSpec(const std::string& text)
{
    const size_t at = text.rfind('@');
    if (at == std::string::npos || at == 0 || at + 1 >= text.size())
        return std::nullopt;
    const auto unit = platform::parseInt<uint8_t>(std::string_view(text).substr(at + 1), 1, 247);
    if (!unit)
        return std::nullopt;
    return DriveSpec{text.substr(0, at), *unit};
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
