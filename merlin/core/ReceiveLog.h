#pragma once
// The Debug option's log: marker lines ("EXAM NETWORK - START", "UPLOAD ALL -
// START" and so on) appended to "Receive.txt" in the program directory, each
// ended by CR LF. The log is taken when an operation starts, so switching the
// option in the middle of one does not split its markers.
#include <functional>
#include <string>

namespace merlin {

using DebugLog = std::function<void(const std::string&)>;

constexpr const char* kReceiveLogName = "Receive.txt";

// Appends one line; false when the file cannot be opened or written.
bool appendReceiveLine(const std::string& installDir, const std::string& line);

// The log of an operation: empty (nothing is logged) with Debug off.
DebugLog receiveLog(bool debug, const std::string& installDir);

}  // namespace merlin
