#include <packaging/registry/SystemRegistry.h>

#include <platform/RegistryStore.h>
#include <plumage/plumage.h>
#include <shell/InstallLocator.h>
#include <tern/server/ActivationFile.h>
#include <tern/server/TernRegistration.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace packaging {

std::string installationKey()
{
    return "SOFTWARE\\" + getCompanyName() + "\\Aviary\\" + shell::kCurrentVersion;
}

namespace {

namespace fs = std::filesystem;

// Every user reads these records, whatever the umask of the installing shell:
// folders this makes are 0755, the files 0644. Folders that were there
// already keep their modes.
bool makePublicDirectories(const fs::path& dir)
{
    std::error_code ec;
    if (dir.empty() || fs::is_directory(dir, ec)) return true;
    if (!makePublicDirectories(dir.parent_path())) return false;
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return ::chmod(dir.c_str(), 0755) == 0;
}

std::string failure(const std::string& path)
{
    return path + ": " + std::strerror(errno);
}

}  // namespace

std::string writeSystemRegistry(const SystemRegistryPaths& paths)
{
    for (const auto& dir : {paths.registryDir, paths.servicesDir})
        if (!makePublicDirectories(fs::path(dir).lexically_normal())) return failure(dir);
    // No system layer below the one being written.
    platform::RegistryStore store(paths.registryDir);
    if (!store.setString(platform::Hive::LocalMachine, installationKey(), "InstallPath", paths.installDir))
        return failure(store.hiveFile(platform::Hive::LocalMachine));
    if (tern::FAILED(tern::server::RegisterServer(store, paths.ternProgram)))
        return store.hiveFile(platform::Hive::ClassesRoot) + ": cannot register " + paths.ternProgram;
    if (!tern::server::writeActivationFile(paths.servicesDir, paths.ternProgram))
        return failure(paths.servicesDir + "/" + tern::server::activationFileName());
    for (const auto& file : {store.hiveFile(platform::Hive::LocalMachine), store.hiveFile(platform::Hive::ClassesRoot),
                             paths.servicesDir + "/" + tern::server::activationFileName()}) {
        if (::chmod(file.c_str(), 0644) != 0) return failure(file);
        // The store's write lock is of no use to anybody reading the records.
        std::remove((file + ".lock").c_str());
    }
    return {};
}

}  // namespace packaging
