#include <sim/modbusdrive/MerlinDriveLoader.h>

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
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "DeviceData";
    // Beside the program in the build tree; an installed program finds the
    // definition files in the installation's data directory.
    const auto beside = exe.parent_path() / "DeviceData";
    const auto installed = exe.parent_path().parent_path() / "share" / "aviary" / "DeviceData";
    if (!std::filesystem::is_directory(beside, error) && std::filesystem::is_directory(installed, error))
        return installed.string();
    return beside.string();
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
