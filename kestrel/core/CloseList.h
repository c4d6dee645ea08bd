#pragma once
// What happens to a list document's values when it is closed: the close
// action, returned to the list view that carries it out. Questions go
// through the message seam; the close-options dialog is the window's,
// handed in as a function.
#include <kestrel/core/CTelegram.h>

#include <functional>
#include <string>

namespace kestrel {

// What the list view does with its values when its document closes, chosen
// by the close step of the document. The numbers are the close step's
// result codes, which the view's close handler tests.
enum class CloseAction {
    Keep = 0,           // the document stays open
    StoreNothing = 1,
    SaveToFile = 2,
    Download = 3,       // Download All into the drive
    UploadAndSave = 4,  // Upload All, then Save
};

// The close step's decision and the message the close-options dialog showed
// (empty when it was not shown or had nothing to say).
struct CloseDecision {
    CloseAction action = CloseAction::Keep;
    std::string message;
};

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

// Runs the close step and returns its decision. The modified flag is
// cleared when the document closes.
CloseDecision CloseList(CTelegram& telegram, ListDocumentState& doc, const CloseOptionsDialog& dialog);
// The same for a document with no drive to ask: a file list asks whether to
// save; an online list whose drive cannot be reached offers the close
// options when it holds unsaved values.
CloseDecision CloseList(ListDocumentState& doc, const CloseOptionsDialog& dialog);

}  // namespace kestrel
