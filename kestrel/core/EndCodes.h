#pragma once
// How Kestrel's stepped runs end (network examination, bulk transfer,
// database upload) and the message each end closes with, in one table.
#include <platform/Notice.h>

#include <optional>

namespace kestrel {

enum EndCode : int {
    kEndDone = 0,
    kEndNoLine = -1,       // the line never became ready or went quiet
    kEndNoAnswer = -2,     // the drive did not answer at the start
    kEndStopped = -3,      // ended after a message already given
    kEndWorkFile = -4,     // the working file could not be read or written
    kEndPortError = -5,    // the serial control reported an error
    kEndNoTimer = -10,
    kEndAborted = 3,       // the user pressed STOP
    kEndUnknown = -99,     // a result no run should end with
};

// The closing message of an end code; none for done and for an end whose
// message was already given.
std::optional<platform::Notice> endCodeMessage(int code);

}  // namespace kestrel
