#include <merlin/core/MerlinDocument.h>

#include <merlin/core/DefinitionChoice.h>
#include <merlin/core/MerlinState.h>
#include <platform/Notice.h>

#include <sstream>

namespace merlin {

MerlinDocument::MerlinDocument(std::filesystem::path programDirectory) : set_(std::move(programDirectory))
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

bool MerlinDocument::ConvertTo()
{
    if (ReplaceDefinition(set_) != kLoadOk)
        return false;
    modified = true;
    return true;
}

}  // namespace merlin
