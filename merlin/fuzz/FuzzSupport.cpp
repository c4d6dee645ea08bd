// The fuzz targets are built with clang apart from the main build and link
// only the reader's sources: messages go nowhere, so this stands in for the
// platform's message seam.
#include <platform/MessageBox.h>

namespace platform {

MsgAnswer showMessage(const std::string&, MsgIcon, MsgButtons buttons)
{
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::Ok;
}

}  // namespace platform
