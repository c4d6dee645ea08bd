#pragma once
// Reading a whole file through one opening call. Tests install an opener that
// fails as a permission or a disk error would, which the suite cannot provoke
// with file modes when it runs as root.
#include <functional>
#include <string>

namespace platform {

enum class ReadResult { Ok, Missing, Failed };

// Missing: no file of that name (the bytes stay empty). Failed: the file is
// there but could not be opened or read.
ReadResult readWholeFile(const std::string& path, std::string& bytes);

// Returns a descriptor open for reading, or -1 with errno set.
using FileOpener = std::function<int(const std::string& path)>;
// Installs an opener (an empty one restores open()) and returns the previous.
FileOpener setFileOpener(FileOpener opener);

}  // namespace platform
