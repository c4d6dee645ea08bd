#pragma once
// The installation directory, found through the installation key
// SOFTWARE\<company>\Aviary\<version> of the machine hive. An installation
// of the previous version is taken over: its key is copied to the current
// version's key.
#include <platform/RegistryStore.h>

#include <optional>
#include <string>

namespace shell {

// The suite's version: the installation key's last level, and the version
// Kestrel's files carry in their headers (checked where Kestrel is built).
inline constexpr const char* kCurrentVersion = "1.4.1";
inline constexpr const char* kPreviousVersion = "1.2.21";

struct InstallLookup {
    std::optional<std::string> installDir;   // without a trailing separator
    bool migrated = false;                   // taken from the previous version's key
};

InstallLookup findInstallDirectory(platform::RegistryStore& store, const std::string& company);

// Removes one trailing '/' (or '\\', which older registry values end with).
std::string withoutTrailingSeparator(std::string path);

}  // namespace shell
