#pragma once
// The installation a run reads its catalogues from and keeps what it
// learns in (uploaded databases, device tables): the one given with
// --install, else the program's own. A folder that is no installation is
// refused, never made into one. A system installation (below /usr or /opt,
// or the one shipped with an installed program) is never written to, not
// even by root: the run works in the user's working copy of it, as the
// programs do.
#include <string>

namespace backup {

struct InstallationChoice {
    std::string dir;    // where the run works; empty on error
    std::string error;
};

// given: --install (empty: none); family: "kestrel" or "merlin";
// programDir: the folder of the running program; userDir: the user's
// working copy (platform::userInstallationDirectory()).
InstallationChoice chooseInstallation(const std::string& given, const std::string& family,
                                      const std::string& programDir, const std::string& userDir);

}  // namespace backup
