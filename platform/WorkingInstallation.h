#pragma once
// The installation directory holds what the programs write as well as what
// they read: the log, working files, uploaded databases, device tables. A
// system-wide installation keeps its data in a directory that belongs to
// root, so each user works in a mirror of it instead: the same folders, every
// shipped file linked (a package update reaches every user), and whatever the
// programs write stays the user's own.
#include <functional>
#include <string>

namespace platform {

// $XDG_DATA_HOME/aviary (~/.local/share/aviary).
std::string userInstallationDirectory();

// The installation directory that goes with a program directory, for tools
// that find their data without the registry (the simulator, aviary-backup):
// the program directory itself when the data lies beside the programs (the
// build tree), otherwise <prefix>/share/aviary of an installed program when
// that exists, otherwise the program directory. Without an argument, the
// running program's directory.
std::string programInstallation(const std::string& programDir);
std::string programInstallation();

// The directory the programs work in: installDir itself when this user may
// write to it (a per-user installation, the demo, the tests); otherwise the
// user's mirror of it, made or brought up to date now. When no mirror can be
// made, installDir: the programs then run as they would on a read-only disk.
std::string workingInstallation(const std::string& installDir,
                                const std::string& userDir = userInstallationDirectory());
// The same with the question "may this user write there?" answered by the
// caller (tests, which also run as root, whom access() never refuses).
using MayWrite = std::function<bool(const std::string& dir)>;
std::string workingInstallation(const std::string& installDir, const std::string& userDir, const MayWrite& mayWrite);

// Makes or refreshes userDir as a mirror of installDir: its folders made,
// each file of its folders that the user has no file of that name for
// linked, links to files no longer shipped removed. Files lying directly in
// installDir are not linked, and files the user wrote are never touched.
// False when userDir cannot be made, or one directory lies inside the other.
bool mirrorInstallation(const std::string& installDir, const std::string& userDir);

}  // namespace platform
