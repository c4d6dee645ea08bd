#pragma once
// What happens to a list document's values when it is closed: the close
// action, kept in the process-wide state for the list view. Questions go
// through the message seam; the close-options dialog is the window's,
// handed in as a function.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/KestrelState.h>

#include <functional>
#include <string>

namespace kestrel {

struct ListDocumentState {
    std::string address;        // empty for a list opened from a file
    std::string filePath;       // empty for an online list never saved
    bool modified = false;
    std::string changedNumber;  // set by the keypad-change query
};

// The close-options dialog: shows the message, offers the four choices (the
// two saving ones disabled unless savingEnabled) and returns the choice, or
// CloseAction::Keep for Cancel.
using CloseOptionsDialog = std::function<CloseAction(const std::string& message, bool savingEnabled)>;

// Runs the close step and returns the close action (also stored in the
// process-wide state with the close message). The modified flag is cleared
// when the document closes.
CloseAction CloseList(CTelegram& telegram, ListDocumentState& doc, const CloseOptionsDialog& dialog);
// The same for a document with no drive to ask: a file list asks whether to
// save; an online list whose drive cannot be reached offers the close
// options when it holds unsaved values.
CloseAction CloseList(ListDocumentState& doc, const CloseOptionsDialog& dialog);

}  // namespace kestrel
