#pragma once
// How a document comes to its definition file, besides opening a parameter
// file (CDpfParSet::LoadParameterFile):
//  - a drive picked in the network dialog leaves the definition name built
//    for it; a new document loads that name;
//  - without one, or when that load fails, the user picks a .dpf file;
//  - "Convert To..." replaces the definition of an open document and carries
//    the values over by register.
// Whatever directory the user browses to, the file is read from DeviceData.
// A definition that yields no parameters, or whose reading broke off, is
// refused with a message: a document built on it would lack parameters the
// drive has.
#include <merlin/core/CDpfParSet.h>
#include <platform/Notice.h>

#include <filesystem>
#include <optional>
#include <string>

namespace merlin {

constexpr const char* kDpfFilter = "DPF Files(*.dpf) | *.dpf||";
constexpr const char* kMsgDefinitionEmpty = "'%s'\n holds no parameters !";
constexpr const char* kMsgDefinitionDamaged = "'%s'\n is damaged and cannot be used !";

// The file dialog for a definition file (starts at DeviceData/*.dpf).
// The chosen file's name without directory; nullopt on Cancel.
std::optional<std::string> AskDefinitionFile(const std::filesystem::path& programDirectory);

// After a successful LoadDefinition: the message when the definition cannot
// carry a document (no parameters, reading broke off), else none.
std::optional<platform::Notice> DefinitionProblem(const CDpfParSet& set, const std::string& name);

// A new document's definition: storedName first (it is emptied), then the
// dialog. kLoadOk; kLoadMissing when the file was not in DeviceData or
// could not be used (after its message); 0 when the user cancelled (no
// document is created).
int LoadNewDefinition(CDpfParSet& set, std::string& storedName);

// "Convert To...": asks for a definition file and rebuilds the set from it;
// every parameter takes the value of the old parameter with the same
// register (except 40010), the others keep their defaults; the view
// switches stay. kLoadOk; 0 when the user cancelled; kLoadMissing when the
// file is missing or cannot be used (after the message; the set is left as
// it was).
int ReplaceDefinition(CDpfParSet& set);

}  // namespace merlin
