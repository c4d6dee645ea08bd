#include <kestrel/core/CloseList.h>

#include <kestrel/core/ListMessages.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/KestrelState.h>
#include <platform/Notice.h>

namespace kestrel {

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

// The Yes/No/Cancel question about saving to the file.
CloseAction askSave()
{
    switch (show(msg::kSaveQuestion, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes: return CloseAction::SaveToFile;
    case MsgAnswer::No: return CloseAction::StoreNothing;
    default: return CloseAction::Keep;
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

CloseAction onlineAction(CTelegram& telegram, ListDocumentState& doc, const CloseOptionsDialog& dialog,
                         std::string& message)
{
    state().currentAddress = doc.address;
    const KeypadQuery q = KeypadChangeQuery(telegram);
    if (q.notice)
        show(*q.notice);
    switch (q.result) {
    case KeypadQuery::NothingChanged:
        if (!doc.modified)
            return CloseAction::StoreNothing;
        break;
    case KeypadQuery::NoAnswer:
        if (!doc.modified)
            return CloseAction::StoreNothing;
        return show(msg::kLoseChanges, MsgButtons::YesNo) == MsgAnswer::Yes
                   ? CloseAction::StoreNothing
                   : CloseAction::Keep;
    case KeypadQuery::OneChanged:
        doc.changedNumber = q.changedNumber;
        [[fallthrough]];
    default:
        message = keypadMessage(q, doc.modified);
        break;
    }
    if (q.result == KeypadQuery::NothingChanged && !doc.filePath.empty())
        return askSave();
    return dialog(message, !doc.filePath.empty());
}

// The decision goes back to the list view, which carries it out.
CloseDecision settle(ListDocumentState& doc, CloseAction action, std::string message = {})
{
    if (action != CloseAction::Keep)
        doc.modified = false;
    return {action, std::move(message)};
}

}  // namespace

CloseDecision CloseList(CTelegram& telegram, ListDocumentState& doc, const CloseOptionsDialog& dialog)
{
    if (doc.address.empty())
        return settle(doc, doc.modified ? askSave() : CloseAction::StoreNothing);
    std::string message;
    const CloseAction action = onlineAction(telegram, doc, dialog, message);
    return settle(doc, action, std::move(message));
}

CloseDecision CloseList(ListDocumentState& doc, const CloseOptionsDialog& dialog)
{
    if (!doc.modified)
        return settle(doc, CloseAction::StoreNothing);
    return settle(doc, doc.address.empty() ? askSave() : dialog({}, !doc.filePath.empty()));
}

}  // namespace kestrel
