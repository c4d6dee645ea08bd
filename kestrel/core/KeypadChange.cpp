#include <kestrel/core/KeypadChange.h>

#include <kestrel/core/ListMessages.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ParameterNumbers.h>

#include <string>

namespace kestrel {

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::show;

KeypadFollowUp severalChanged(std::string_view address)
{
    if (show(msg::severalChanged(address), MsgButtons::YesNo) != MsgAnswer::Yes) return KeypadFollowUp::None;
    if (show(msg::kUploadQuestion, MsgButtons::YesNo) != MsgAnswer::Yes) return KeypadFollowUp::None;
    return KeypadFollowUp::Upload;
}

}  // namespace

KeypadFollowUp keypadChangeCheck(ParameterLink& link, std::string_view address, const CWorkFile& work)
{
    const auto reply = link.read(param::kChangedQuery.digits());
    const auto number = reply ? parseHex4(reply->number) : std::nullopt;
    const auto value = reply ? parseHex4(reply->value) : std::nullopt;
    if (!number || !value) {
        show(msg::kDisconnected);
        return KeypadFollowUp::None;
    }
    if (*number == 0x0000 || *number == param::kChangedQuery.number()) return KeypadFollowUp::None;
    if (*number == param::kChangedSeveral.number()) return severalChanged(address);
    if (show(msg::oneChanged(reply->number), MsgButtons::YesNo) == MsgAnswer::Yes)
        (void)work.writeValue(*number, *value);  // a number the list lacks changes nothing
    return KeypadFollowUp::None;
}

}  // namespace kestrel
