#pragma once
// Starting the manager program of the chosen drive family from Wren's own
// directory, and the message when that fails.
#include <string>

namespace wren {

enum Family { NoFamily = 0, RhxFamily = 1, Lm3Family = 2 };

// The directory of a program file: the path cut at its last separator.
std::string programDirectory(const std::string& programPath);
// "kestrel" for the RHX/RQ9000 family, "merlin" for the LM3 family.
std::string programFile(int family);
// The reason text of a start result below 32 ("" for reasons without text).
std::string reasonText(int result);
std::string failureMessage(const std::string& file, int result);

// The caption of Wren's messages.
inline constexpr const char* kCaption = "Wren";

// Starts the family's program; a failure is reported once in a message box.
// Returns the start result (above 31 on success), -1 without a family.
int startFamily(const std::string& programDir, int family);

}  // namespace wren
