#pragma once
// Messages of the parameter file and of loading definition files.
namespace merlin {

constexpr const char* kMsgInvalidParFile = "This is not a valid parameter file    \n for LM3 / LT4 Drives !";
constexpr const char* kMsgOlderParFile =
    "This is an older version of parameter file !\nSaving converts it to the new format\n"
    "and this message never appears.";
constexpr const char* kMsgNoDpfName = "No valid DPF-Name    \nis connected to this parameter file !";
constexpr const char* kMsgFileError = "File error";
// printf format: the definition file's name or path.
constexpr const char* kMsgDefinitionNotFound = "'%s'\n not found !";
// printf format: count, definition name, highest group number, the
// [Parameter List] keys of the entries.
constexpr const char* kMsgParametersLeftOut =
    "%d parameters of '%s'\nname no group from 1 to %d and are left out\n([Parameter List] lines %s) !";

}  // namespace merlin
