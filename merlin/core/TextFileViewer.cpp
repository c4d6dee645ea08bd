#include <merlin/core/TextFileViewer.h>

#include <platform/ProcessLauncher.h>

namespace merlin {

bool openInTextViewer(const std::string& file)
{
    return platform::openTextViewer(file) > 31;
}

platform::Notice viewerMissingMessage()
{
    return {"NOTEPAD application not found !", platform::MsgIcon::Exclamation};
}

platform::Notice printFileMessage(const std::string& file)
{
    return {"The software created a print file :\n" + file, platform::MsgIcon::Information};
}

}  // namespace merlin
