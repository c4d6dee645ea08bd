#pragma once
// Fault texts of the drive family and the collection of a drive's last five
// faults (parameters 000B..000F, newest first) for the "Recent Failures"
// dialog.
#include <kestrel/core/CTelegram.h>
#include <platform/Notice.h>

#include <array>
#include <optional>
#include <string>

namespace kestrel {

struct FaultTextPair {
    std::string shortName;
    std::string cause;
};

// Codes 0..31; any other code gives two empty texts.
FaultTextPair FaultText(int code);
// "Failure" below code 16, "Warning" from 16 on; the code is the decimal
// text of the table (an empty text counts as 0).
std::string FaultType(const std::string& number);

// Reads 000B..000F from the current device into the process-wide fault
// history: up to 5 attempts each, a value above 31 counts as a failed
// attempt; an entry that cannot be read keeps its old contents. Returns
// false (and the notice) when the port leads to another device; then
// nothing is read.
struct FaultCollection {
    bool collected = false;
    std::optional<platform::Notice> notice;
};
FaultCollection CollectFaultHistory(CTelegram& telegram);

// The dialog's grid: header row and the five history rows.
using FaultRow = std::array<std::string, 4>;
FaultRow faultHeaderRow();
std::array<FaultRow, 5> faultHistoryRows();
// "Recent Failures : " + address.
std::string faultDialogTitle(const std::string& address);

inline constexpr const char* kFewSecondsText = "This will take a few seconds !";
inline constexpr const char* kCollectingText = "Collecting Fault History data.... ";
inline constexpr const char* kOtherDeviceText =
    "The selected port may be connected to different device. Try selecting another port.";

}  // namespace kestrel
