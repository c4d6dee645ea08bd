#pragma once
// File, Save and File, Save As of a list window: the working file goes into
// the list's parameter file or custom list.
#include <kestrel/core/CWorkFile.h>

#include <functional>
#include <string>

namespace kestrel {

// The part of a list window the save operations read and update.
struct ListDocument {
    ListKind kind = ListKind::Online;
    std::string installDir;
    std::string filePath;     // empty: an online list never saved
    std::string workPath;
    std::string address;      // online lists
    std::string deviceName;   // online lists
    std::string listTitle;    // "LIST  A"
    std::string versionText;  // "A12.34"
    std::string windowTitle;  // set by Save As
    bool modified = false;
};

enum class SaveResult { Saved, Cancelled, Failed };

// Runs the keypad-change check of an online list (and the upload it may
// lead to) before its values are written.
using KeypadCheck = std::function<void()>;

// Writes the working file over the file's records from offset 44; the
// header stays as it is. A list without a file goes to Save As.
SaveResult saveList(ListDocument& doc, const KeypadCheck& keypadCheck);
// Asks for a file, writes header, records and trailer, and moves the
// working file next to the new file.
SaveResult saveListAs(ListDocument& doc, const KeypadCheck& keypadCheck);

}  // namespace kestrel
