#include <merlin/core/EndCodes.h>

namespace merlin {

using platform::MsgIcon;

std::optional<platform::Notice> endCodeMessage(int code)
{
    switch (code) {
    case kEndDone:
    case kEndPortError:
        return std::nullopt;
    case kEndNoConnection:
        return platform::Notice{"Possible loss of power or no connection to the converter !",
                           MsgIcon::Information};
    case kEndNoDevice:
        return platform::Notice{"Failed to establish connection with the selected device !", MsgIcon::Stop};
    case kEndNoTimer:
        return platform::Notice{"Internal timer not available !", MsgIcon::Exclamation};
    case kEndAborted:
        return platform::Notice{"Progress was aborted by the user !", MsgIcon::Information};
    default:
        return platform::Notice{"Unknown error !", MsgIcon::Exclamation};
    }
}

}  // namespace merlin
