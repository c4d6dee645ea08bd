#include <kestrel/core/KeypadChange.h>

#include <kestrel/core/HexText.h>
#include <platform/MessageBox.h>

#include <string>

namespace kestrel {

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::showMessage;

KeypadFollowUp severalChanged(std::string_view address)
{
    const std::string question = "Device Address : " + std::string(address) + "\n\n" +
                                 "More than one parameters were changed in this device through the keypad." +
                                 "\n" + "Would you like to upload the latest parameter values from the device now ?";
    if (showMessage(question, MsgIcon::None, MsgButtons::YesNo) != MsgAnswer::Yes) return KeypadFollowUp::None;
    if (showMessage("This will update the parameter file with the latest parameter values from the selected "
                    "inverter. Would you like to continue ?",
                    MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return KeypadFollowUp::None;
    return KeypadFollowUp::Upload;
}

}  // namespace

KeypadFollowUp keypadChangeCheck(ParameterLink& link, std::string_view address, const CWorkFile& work)
{
    const auto reply = link.read("FFFC");
    const auto number = reply ? parseHex4(reply->number) : std::nullopt;
    const auto value = reply ? parseHex4(reply->value) : std::nullopt;
    if (!number || !value) {
        showMessage("The device was found disconnected from the network. !", MsgIcon::Stop);
        return KeypadFollowUp::None;
    }
    if (*number == 0x0000 || *number == 0xFFFC) return KeypadFollowUp::None;
    if (*number == 0xFFFB) return severalChanged(address);
    const std::string question = "Value of parameter " + reply->number + " was changed from the keypad !" +
                                 "\n\n" + "Do you want to save it to this list?";
    if (showMessage(question, MsgIcon::None, MsgButtons::YesNo) == MsgAnswer::Yes)
        (void)work.writeValue(*number, *value);  // a number the list lacks changes nothing
    return KeypadFollowUp::None;
}

}  // namespace kestrel
