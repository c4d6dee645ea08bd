#pragma once
// A folder of this run's own for the files the programs keep in their
// installation while they work: a list's working file, the device table a
// scan writes, a database on its way up from a drive. Two runs at once (one
// per line, say), or a run beside Kestrel or Merlin, never meet in them, and
// nothing of a run's work lands in an installation it may not own. Removed
// with its contents when the run ends, however it ends.
#include <string>

namespace backup {

class RunFolder {
public:
    // A fresh folder in $TMPDIR (else /tmp).
    RunFolder();
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // A copy of from/name in the folder when there is one (a table whose
    // names the run should keep); false only when a file there cannot be copied.
    bool copyIn(const std::string& from, const std::string& name) const;

private:
    std::string path_;
};

// Puts a copy of file at target (its folder made when missing): written
// beside the target and renamed, so that a reader never sees half of it.
// False when it cannot be put there.
bool publishFile(const std::string& file, const std::string& target);

}  // namespace backup
