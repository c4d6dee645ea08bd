#include <kestrel/core/CloseList.h>

#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/KestrelState.h>
#include <platform/Notice.h>

namespace kestrel {

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

// The Yes/No/Cancel question about saving to the file: 2 save, 1 do not,
// 0 stay open.
int askSave()
{
    switch (platform::showMessage(kSaveQuestion, MsgIcon::Question, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes: return 2;
    case MsgAnswer::No: return 1;
    default: return 0;
    }
}

std::string keypadMessage(const KeypadQuery& q, bool modified)
{
    if (q.result == KeypadQuery::SeveralChanged)
        return modified ? "Values of some parameters were changed from the keypad. And/or, value of some parameters "
                          "were changed in the list but were not downloaded into the connected device."
                        : "Values of some parameters were changed from the keypad";
    std::string m = "Value of parameter " + q.changedNumber + " was changed from the keypad.";
    if (modified)
        m += " Also, values of some parameters were changed in the list and not downloaded into the connected inverter.";
    return m;
}

int onlineAction(CTelegram& telegram, ListDocumentState& doc, const CloseOptionsDialog& dialog)
{
    KestrelState& s = state();
    s.currentAddress = doc.address;
    const KeypadQuery q = KeypadChangeQuery(telegram);
    if (q.notice)
        show(*q.notice);
    switch (q.result) {
    case KeypadQuery::NothingChanged:
        if (!doc.modified)
            return 1;
        break;
    case KeypadQuery::NoAnswer:
        if (!doc.modified)
            return 1;
        return platform::showMessage("All changes will be lost. Close anyway ?", MsgIcon::Question,
                                     MsgButtons::YesNo) == MsgAnswer::Yes ? 1 : 0;
    case KeypadQuery::OneChanged:
        doc.changedNumber = q.changedNumber;
        [[fallthrough]];
    default:
        s.closeMessage = keypadMessage(q, doc.modified);
        break;
    }
    if (q.result == KeypadQuery::NothingChanged && !doc.filePath.empty())
        return askSave();
    return dialog(s.closeMessage, !doc.filePath.empty());
}

}  // namespace

int CloseList(CTelegram& telegram, ListDocumentState& doc, const CloseOptionsDialog& dialog)
{
    KestrelState& s = state();
    s.closeMessage.clear();
    int action;
    if (doc.address.empty())
        action = doc.modified ? askSave() : 1;
    else
        action = onlineAction(telegram, doc, dialog);
    s.closeAction = action;
    if (action != 0)
        doc.modified = false;
    return action;
}

}  // namespace kestrel
