#pragma once
// Connecting to the drive picked in the network dialog: is the database of
// its software version there and complete, the working file of a new online
// list, the keypad-change query of a list being closed, and the check of the
// selection mode. Each returns its result and the notice the caller shows.
#include <kestrel/core/CTelegram.h>
#include <platform/Notice.h>

#include <optional>
#include <string>

namespace kestrel {

struct DatabaseCheck {
    enum Result { Complete = 0, Missing = 1, NoConnection = 2 };
    int result = NoConnection;
    std::optional<platform::Notice> notice;
};

// Reads the drive's version ("00E4", at least 1807), sets the database file
// name ("/tvk/RQ-<version>.tvk") and looks at that file: complete when it
// ends with "END\0"; a file shorter than 4 bytes is deleted.
DatabaseCheck CheckDatabase(CTelegram& telegram);

// Builds "<install>/parameter/List-<address>.~pa" from the database: number
// and value of every record, CR LF. Empty when the database does not exist
// or the working file cannot be written. A damaged database is copied up to
// its first damaged record.
std::string MakeWorkingFile(const std::string& databasePath);

struct KeypadQuery {
    enum Result { NothingChanged = 0, SeveralChanged = 1, OneChanged = 2, NoAnswer = 3 };
    int result = NoAnswer;
    std::string changedNumber;   // OneChanged: the parameter changed at the keypad
    std::optional<platform::Notice> notice;
};

// "FFFC" to the current device: what was changed at the drive's keypad.
KeypadQuery KeypadChangeQuery(CTelegram& telegram);

// Selection mode of the network dialog (a target for Download All or the
// keypad): the drive at the address must answer "FFF0"; its error register
// is read (and so cleared). On success the device title is set; otherwise
// the current device address is cleared and the notice is returned.
// Nothing is done (no notice, false) while another operation holds the line.
struct SelectionCheck {
    bool selected = false;
    std::optional<platform::Notice> notice;
};
SelectionCheck SelectDevice(CTelegram& telegram, const std::string& address);

inline constexpr const char* kNoConnectionText = "Unable to establish connection with the selected device !";
inline constexpr const char* kNoVersionText = "Could not find out the version of the connected device !";

}  // namespace kestrel
