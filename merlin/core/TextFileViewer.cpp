#include <merlin/core/TextFileViewer.h>

#include <platform/ProcessLauncher.h>

namespace merlin {

bool openInTextViewer(const std::string& file)
{
    return platform::openTextViewer(file) > 31;
}

UserMessage viewerMissingMessage()
{
    return {"NOTEPAD application not found !", platform::MsgIcon::Exclamation};
}

UserMessage printFileMessage(const std::string& file)
{
    return {"The software created a print file :\n" + file, platform::MsgIcon::Information};
}

}  // namespace merlin
