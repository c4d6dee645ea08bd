#include <kestrel/core/EndCodes.h>

namespace kestrel {

using platform::MsgIcon;

std::optional<platform::Notice> endCodeMessage(int code)
{
    switch (code) {
    case kEndDone:
    case kEndStopped:
        return std::nullopt;
    case kEndNoLine:
        return platform::Notice{"Possible loss of power or no connection to the converter !", MsgIcon::Information};
    case kEndNoAnswer:
        return platform::Notice{"Failed to establish connection with the selected device !", MsgIcon::Stop};
    case kEndPortError:
        return platform::Notice{
            "There was some error on the port.The network search could not be completed.\nPlease try again.",
            MsgIcon::Stop};
    case kEndNoTimer:
        return platform::Notice{"Internal timer not available !", MsgIcon::Exclamation};
    case kEndAborted:
        return platform::Notice{"Progress was aborted by the user !", MsgIcon::Information};
    default:
        return platform::Notice{"Unknown error !", MsgIcon::Exclamation};
    }
}

}  // namespace kestrel
