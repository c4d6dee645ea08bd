#pragma once
// Opening a parameter file or a custom list into a list window: the file is
// checked against the database of its version and its body becomes the
// window's working file. Every refusal shows its message and leaves no file
// behind or changed.
#include <kestrel/core/CWorkFile.h>

#include <optional>
#include <string>

namespace kestrel {

// What the list window needs once the file has been opened.
struct OpenedList {
    ListKind kind = ListKind::ParameterFile;
    std::string filePath;          // the list path
    std::string workPath;
    std::string databaseFileName;  // "/tvk/RQ-1234.tvk", relative to the install directory
};

// File, Open Parameter List (kind ParameterFile) and Customer List, Program
// List (kind CustomList). Without a preset path the open-file dialog asks
// for the file (a conversion hands over the new file as preset path).
std::optional<OpenedList> openListFile(const std::string& installDir, ListKind kind,
                                       const std::optional<std::string>& presetPath = std::nullopt);

// The checks alone (the custom list editor's modify mode and the open
// operation share them): already open, version, database, consistency.
// On success returns the database file name and the number of records.
struct CheckedList {
    std::string databaseFileName;
    std::size_t records = 0;
};
std::optional<CheckedList> checkListForOpening(const std::string& installDir, const std::string& path,
                                               ListKind kind);

}  // namespace kestrel
