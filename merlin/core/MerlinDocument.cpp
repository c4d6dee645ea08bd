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
    // A file cut short reads like a whole one of a shorter definition; the
    // parameters after the cut would show defaults as if they were the file's.
    const ParFileReading& reading = set_.FileReading();
    incomplete_.reset();
    if (reading.expected > 0 && !reading.Whole()) {
        const std::string question =
            platform::strFormat(kMsgIncompleteFile, path.string().c_str(), reading.read, reading.expected);
        if (platform::showMessage(question, platform::MsgIcon::Question, platform::MsgButtons::YesNo) !=
            platform::MsgAnswer::Yes)
            return false;
        incomplete_ = reading;
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

std::string MerlinDocument::title() const
{
    if (!incomplete_)
        return title_;
    return title_ + platform::strFormat(kIncompleteMark, incomplete_->read, incomplete_->expected);
}

std::optional<platform::Notice> MerlinDocument::RefuseDownload() const
{
    if (!incomplete_)
        return std::nullopt;
    return platform::Notice{platform::strFormat(kMsgIncompleteDownload, incomplete_->read, incomplete_->expected),
                            platform::MsgIcon::Exclamation};
}

bool MerlinDocument::UploadEnded(bool everything)
{
    if (!incomplete_ || !everything)
        return false;
    incomplete_.reset();
    return true;
}

bool MerlinDocument::ConvertTo()
{
    if (ReplaceDefinition(set_) != kLoadOk)
        return false;
    modified = true;
    return true;
}

}  // namespace merlin
