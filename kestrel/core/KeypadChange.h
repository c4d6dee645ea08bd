#pragma once
// Before an online list is saved, the drive is asked which parameters were
// changed at its keypad ("FFFC"); the user decides whether the list takes
// them over.
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/ParameterLink.h>

#include <string_view>

namespace kestrel {

enum class KeypadFollowUp {
    None,    // go on saving
    Upload,  // upload all values into the working file first, then save
};

// Reads "FFFC" through the link (addressed to the list's drive) and asks the
// user what to do with the answer: a single changed value is written into
// the working file, several changes lead to an upload when the user agrees.
// A drive that does not answer is reported and the save goes on.
KeypadFollowUp keypadChangeCheck(ParameterLink& link, std::string_view address, const CWorkFile& work);

}  // namespace kestrel
