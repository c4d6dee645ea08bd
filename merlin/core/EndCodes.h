#pragma once
// The end codes of Merlin's stepped operations (bulk transfer, network
// examination, keypad window) and the message each one closes with.
#include <platform/Notice.h>

#include <optional>

namespace merlin {

enum EndCode : int {
    kEndDone = 0,
    kEndNoConnection = -1,   // the drive or the line stopped answering
    kEndNoDevice = -2,       // the selected device could not be reached
    kEndPortError = -3,      // reported when it happened, nothing more
    kEndNoTimer = -10,
    kEndPasswordNeeded = -11,
    kEndAborted = 3,
};

// The message for an end code; none for done and for a port error.
std::optional<platform::Notice> endCodeMessage(int code);

}  // namespace merlin
