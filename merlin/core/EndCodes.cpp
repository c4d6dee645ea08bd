#include <merlin/core/EndCodes.h>

namespace merlin {

using platform::MsgIcon;

std::optional<UserMessage> endCodeMessage(int code)
{
    switch (code) {
    case kEndDone:
    case kEndPortError:
        return std::nullopt;
    case kEndNoConnection:
        return UserMessage{"Possible loss of power or no connection to the converter !",
                           MsgIcon::Information};
    case kEndNoDevice:
        return UserMessage{"Failed to establish connection with the selected device !", MsgIcon::Stop};
    case kEndNoTimer:
        return UserMessage{"Internal timer not available !", MsgIcon::Exclamation};
    case kEndAborted:
        return UserMessage{"Progress was aborted by the user !", MsgIcon::Information};
    default:
        return UserMessage{"Unknown error !", MsgIcon::Exclamation};
    }
}

}  // namespace merlin
