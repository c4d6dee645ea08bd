#include <merlin/core/MerlinDocument.h>

#include <merlin/core/DefinitionChoice.h>
#include <merlin/core/MerlinState.h>
#include <platform/Notice.h>

#include <sstream>

namespace merlin {

MerlinDocument::MerlinDocument(std::filesystem::path programDirectory)
    : set_(programDirectory), programDirectory_(std::move(programDirectory))
{
    static int untitled = 0;
    title_ = platform::strFormat("DevPar%d", ++untitled);
}

bool MerlinDocument::CreateNew()
{
    if (LoadNewDefinition(set_, state().chosenDefinition) != kLoadOk)
        return false;
    modified = true;
    return true;
}

bool MerlinDocument::Open(const std::filesystem::path& path)
{
    if (set_.LoadParameterFile(path) != 0)
        return false;
    // Values laid over a definition that broke off would sit on the wrong
    // parameters.
    if (const auto problem = DefinitionProblem(set_, set_.DefinitionName())) {
        platform::show(*problem);
        return false;
    }
    path_ = path;
    title_ = path.filename().string();
    modified = false;
    return true;
}

bool MerlinDocument::SaveAs(const std::filesystem::path& path)
{
    if (set_.SaveParameterFile(path) != 0) {
        platform::showMessage(platform::strFormat(kMsgSaveFailed, path.string().c_str()), platform::MsgIcon::Exclamation);
        return false;
    }
    path_ = path;
    title_ = path.filename().string();
    modified = false;
    return true;
}

platform::FileDialogRequest MerlinDocument::SaveRequest() const
{
    platform::FileDialogRequest request;
    request.save = true;
    request.directory = path_.empty() ? (programDirectory_ / "parameter").string() : path_.parent_path().string();
    request.fileName = path_.empty() ? title_ + ".par" : path_.filename().string();
    request.filter = kParFilter;
    request.defaultExtension = kParExtension;
    return request;
}

bool MerlinDocument::AskAndSaveAs()
{
    const std::optional<std::string> chosen = platform::askFile(SaveRequest());
    return chosen && SaveAs(*chosen);
}

bool MerlinDocument::SaveOrAsk()
{
    return path_.empty() ? AskAndSaveAs() : Save();
}

bool MerlinDocument::QueryClose()
{
    if (!modified)
        return true;
    const platform::MsgAnswer answer = platform::showMessage("Save changes to " + title_ + "?",
                                                             platform::MsgIcon::Exclamation,
                                                             platform::MsgButtons::YesNoCancel);
    if (answer == platform::MsgAnswer::Cancel)
        return false;
    return answer == platform::MsgAnswer::No || SaveOrAsk();
}

bool MerlinDocument::ConvertTo()
{
    if (ReplaceDefinition(set_) != kLoadOk)
        return false;
    modified = true;
    return true;
}

}  // namespace merlin
