#include <merlin/core/DefinitionChoice.h>

#include <platform/FileDialog.h>
#include <platform/MessageBox.h>

#include <system_error>

namespace merlin {

std::optional<std::string> AskDefinitionFile(const std::filesystem::path& programDirectory)
{
    platform::FileDialogRequest request;
    request.directory = (programDirectory / "DeviceData").string();
    request.fileName = (programDirectory / "DeviceData" / "*.dpf").string();
    request.filter = kDpfFilter;
    request.defaultExtension = "dpf";
    const std::optional<std::string> chosen = platform::askFile(request);
    if (!chosen)
        return std::nullopt;
    return std::filesystem::path(*chosen).filename().string();
}

int LoadNewDefinition(CDpfParSet& set, std::string& storedName)
{
    if (!storedName.empty()) {
        const std::string name = storedName;
        storedName.clear();
        if (set.LoadDefinition(name) == kLoadOk)
            return kLoadOk;
    }
    const std::optional<std::string> name = AskDefinitionFile(set.ProgramDirectory());
    if (!name)
        return 0;
    return set.LoadDefinition(*name);
}

int ReplaceDefinition(CDpfParSet& set)
{
    const std::optional<std::string> name = AskDefinitionFile(set.ProgramDirectory());
    if (!name)
        return 0;
    // Checked before anything is emptied: a file that is not in DeviceData
    // must not cost the document its values.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(set.FindDefinitionFile(*name), ec)) {
        platform::showMessage("'" + *name + "'\n not found !", platform::MsgIcon::Exclamation);
        return kLoadMissing;
    }
    const CParSet previous = set;
    set.Empty();
    const int result = set.LoadDefinition(*name);
    if (result == kLoadOk)
        set.CopyValuesByRegister(previous);
    return result;
}

}  // namespace merlin
