#pragma once
// What happens to a list document's values when it is closed. The close
// action (kept in the process-wide state for the list view) is
//   0 keep the document open, 1 store nothing, 2 save to file,
//   3 download to the inverter, 4 upload and save to file.
// Questions go through the message seam; the close-options dialog is the
// window's, handed in as a function.
#include <kestrel/core/CTelegram.h>

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
// two saving ones disabled unless savingEnabled) and returns 1..4, or 0 for
// Cancel.
using CloseOptionsDialog = std::function<int(const std::string& message, bool savingEnabled)>;

// Runs the close step and returns the close action (also stored in the
// process-wide state with the close message). The modified flag is cleared
// when the document closes.
int CloseList(CTelegram& telegram, ListDocumentState& doc, const CloseOptionsDialog& dialog);

inline constexpr const char* kSaveQuestion =
    "Value of some parameter(s) were changed.\nWould you like them to be saved to the file ?";

}  // namespace kestrel
