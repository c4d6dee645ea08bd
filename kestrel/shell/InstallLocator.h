#pragma once
// The installation directory, found through the installation key
// SOFTWARE\<company>\Aviary\<version> of the machine hive. An installation
// of the previous version is taken over: its key is copied to the current
// version's key.
#include <kestrel/core/ListFile.h>
#include <platform/RegistryStore.h>

#include <optional>
#include <string>

namespace kestrel {

// The program version is the one its files carry in their headers.
inline constexpr const char* kCurrentVersion = kPcVersion.data();
inline constexpr const char* kPreviousVersion = "1.2.21";

struct InstallLookup {
    std::optional<std::string> installDir;   // without a trailing separator
    bool migrated = false;                   // taken from the previous version's key
};

InstallLookup findInstallDirectory(platform::RegistryStore& store, const std::string& company);

// Removes one trailing '/' (or '\\' from a Windows-style value).
std::string withoutTrailingSeparator(std::string path);

}  // namespace kestrel
