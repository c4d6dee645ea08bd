#pragma once
// The device status table entry of a drive (one character per address) and
// the status texts the list windows show for it.
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// '9' for a failed read (or a status text that is not 4 hexadecimal
// digits); otherwise '0' error, '1' stop, '2' test mode, '3' DC brake,
// '4' running reverse, '5' running forward, as a letter 'A'..'F' instead of
// the digit when the drive is not in SIO mode.
char statusEntry(std::optional<std::string_view> statusText);
// Fills the device status table entry of the address (0..31; others ignored).
void DecodeStatusWord(int address, std::optional<std::string_view> statusText);
// Text of a status entry ("Running in FWD", "STOP  --  Not in SIO mode", ...);
// empty for a character no status has.
std::string statusText(char entry);

// What the status field of a list window shows.
struct StatusField {
    bool scanEnabled = true;
    bool fileList = false;
};
std::string statusFieldText(const StatusField& field, char entry);

}  // namespace kestrel
