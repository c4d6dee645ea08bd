#pragma once
// What an installation leaves in the system registry directory, so the suite
// starts for every user without a registration step: the installation key
// with "InstallPath" (HKLM.ini), Tern's class registration (HKCR.ini) and
// Tern's D-Bus activation file. Written with the suite's own registry and
// registration code, so the records are exactly those the programs look for.
#include <string>

namespace packaging {

struct SystemRegistryPaths {
    std::string registryDir;   // where HKLM.ini and HKCR.ini go
    std::string servicesDir;   // the bus's service directory, for the activation file
    std::string installDir;    // the installed data directory ("InstallPath")
    std::string ternProgram;   // the installed tern
};

// The installation key of this version, under the branding library's company.
std::string installationKey();

// Empty on success, otherwise what could not be written.
std::string writeSystemRegistry(const SystemRegistryPaths& paths);

}  // namespace packaging
