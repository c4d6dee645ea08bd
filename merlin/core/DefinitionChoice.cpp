#include <merlin/core/DefinitionChoice.h>

#include <platform/FileDialog.h>
#include <platform/MessageBox.h>

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

std::optional<platform::Notice> DefinitionProblem(const CDpfParSet& set, const std::string& name)
{
    if (set.LastParseResult() != kParseOk)
        return platform::Notice{platform::strFormat(kMsgDefinitionDamaged, name.c_str()), platform::MsgIcon::Exclamation};
    if (set.Count() == 0)
        return platform::Notice{platform::strFormat(kMsgDefinitionEmpty, name.c_str()), platform::MsgIcon::Exclamation};
    return std::nullopt;
}

namespace {

// LoadDefinition and the check; the message of a failure is shown.
int LoadUsable(CDpfParSet& set, const std::string& name)
{
    if (set.LoadDefinition(name) != kLoadOk)
        return kLoadMissing;
    if (const auto problem = DefinitionProblem(set, name)) {
        platform::show(*problem);
        return kLoadMissing;
    }
    return kLoadOk;
}

}  // namespace

int LoadNewDefinition(CDpfParSet& set, std::string& storedName)
{
    if (!storedName.empty()) {
        const std::string name = storedName;
        storedName.clear();
        if (LoadUsable(set, name) == kLoadOk)
            return kLoadOk;
    }
    const std::optional<std::string> name = AskDefinitionFile(set.ProgramDirectory());
    if (!name)
        return 0;
    return LoadUsable(set, *name);
}

int ReplaceDefinition(CDpfParSet& set)
{
    const std::optional<std::string> name = AskDefinitionFile(set.ProgramDirectory());
    if (!name)
        return 0;
    // Built beside the document: a file that is missing or unusable must not
    // cost the document its values.
    CDpfParSet fresh = set;
    fresh.Empty();
    if (LoadUsable(fresh, *name) != kLoadOk)
        return kLoadMissing;
    fresh.CopyValuesByRegister(set);
    fresh.SetViewFlags(set.ViewFlags());
    set = std::move(fresh);
    return kLoadOk;
}

}  // namespace merlin
