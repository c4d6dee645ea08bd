#include <packaging/registry/SystemRegistry.h>

#include <platform/RegistryStore.h>
#include <plumage/plumage.h>
#include <shell/InstallLocator.h>
#include <tern/server/ActivationFile.h>
#include <tern/server/TernRegistration.h>

#include <cerrno>
#include <cstring>

namespace packaging {

std::string installationKey()
{
    return "SOFTWARE\\" + getCompanyName() + "\\Aviary\\" + shell::kCurrentVersion;
}

std::string writeSystemRegistry(const SystemRegistryPaths& paths)
{
    // No system layer below the one being written.
    platform::RegistryStore store(paths.registryDir);
    if (!store.setString(platform::Hive::LocalMachine, installationKey(), "InstallPath", paths.installDir))
        return store.hiveFile(platform::Hive::LocalMachine) + ": " + std::strerror(errno);
    if (tern::FAILED(tern::server::RegisterServer(store, paths.ternProgram)))
        return store.hiveFile(platform::Hive::ClassesRoot) + ": cannot register " + paths.ternProgram;
    if (!tern::server::writeActivationFile(paths.servicesDir, paths.ternProgram))
        return paths.servicesDir + "/" + tern::server::activationFileName() + ": " + std::strerror(errno);
    return {};
}

}  // namespace packaging
