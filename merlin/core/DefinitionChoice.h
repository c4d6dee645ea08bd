#pragma once
// How a document comes to its definition file, besides opening a parameter
// file (CDpfParSet::LoadParameterFile):
//  - a drive picked in the network dialog leaves the definition name built
//    for it; a new document loads that name;
//  - without one, or when that load fails, the user picks a .dpf file;
//  - "Convert To..." replaces the definition of an open document and carries
//    the values over by register.
// Whatever directory the user browses to, the file is read from DeviceData.
#include <merlin/core/CDpfParSet.h>

#include <filesystem>
#include <optional>
#include <string>

namespace merlin {

constexpr const char* kDpfFilter = "DPF Files(*.dpf) | *.dpf||";

// The file dialog for a definition file (starts at DeviceData/*.dpf).
// The chosen file's name without directory; nullopt on Cancel.
std::optional<std::string> AskDefinitionFile(const std::filesystem::path& programDirectory);

// A new document's definition: storedName first (it is emptied), then the
// dialog. kLoadOk; kLoadMissing when the dialog's file was not in
// DeviceData; 0 when the user cancelled (no document is created).
int LoadNewDefinition(CDpfParSet& set, std::string& storedName);

// "Convert To...": asks for a definition file and rebuilds the set from it;
// every parameter takes the value of the old parameter with the same
// register (except 40010), the others keep their defaults. kLoadOk; 0 when
// the user cancelled; kLoadMissing when the file is not in DeviceData (after
// the message; the set is left as it was).
int ReplaceDefinition(CDpfParSet& set);

}  // namespace merlin
