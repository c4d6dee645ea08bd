#include <packaging/registry/SystemRegistry.h>

#include <platform/RegistryStore.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/TempDir.h>
#include <plumage/plumage.h>
#include <shell/InstallLocator.h>
#include <tern/client/TernServerLocator.h>
#include <tern/server/ActivationFile.h>
#include <tern/server/TernRegistration.h>

#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>

using packaging::SystemRegistryPaths;
using platform::Hive;
using platform::RegistryStore;
using platform::testing::ScopedEnv;
using platform::testing::TempDir;

namespace {

// A fresh user on a machine with the suite installed: the user's registry
// empty, the system layer where the installation put it.
class InstalledMachine : public ::testing::Test {
protected:
    TempDir user, system;
    ScopedEnv userRegistry{"AVIARY_REGISTRY", user.path().c_str()};
    ScopedEnv systemRegistry{"AVIARY_SYSTEM_REGISTRY", system.file("etc/xdg/aviary").c_str()};

    SystemRegistryPaths install(const std::string& prefix)
    {
        return {system.file("etc/xdg/aviary"), system.file("share/dbus-1/services"), prefix + "/share/aviary",
                prefix + "/bin/tern"};
    }
    std::optional<std::string> installPath()
    {
        return RegistryStore::instance().getString(Hive::LocalMachine, packaging::installationKey(), "InstallPath");
    }
    std::string registeredServer()
    {
        tern::client::RegisteredClass cls;
        return tern::client::findRegisteredClass("Tern.ModBusLink.1", cls) == tern::S_OK ? cls.localServer : "";
    }
};

}  // namespace

TEST_F(InstalledMachine, EveryUserFindsTheInstallationAndTheLinkServerWithoutRegistering)
{
    ASSERT_EQ(packaging::writeSystemRegistry(install("/usr")), "");
    EXPECT_EQ(packaging::installationKey(), "SOFTWARE\\Aviary Drives\\Aviary\\1.4.1");
    EXPECT_EQ(installPath(), "/usr/share/aviary");
    // The programs' own start-up lookup resolves it.
    const auto found = shell::findInstallDirectory(RegistryStore::instance(), getCompanyName());
    EXPECT_EQ(found.installDir, "/usr/share/aviary");
    EXPECT_FALSE(found.migrated);
    EXPECT_EQ(registeredServer(), "/usr/bin/tern");
    EXPECT_EQ(system.read("share/dbus-1/services/" + tern::server::activationFileName()),
              tern::server::activationFileText("/usr/bin/tern"));
    // Nothing was written for the user.
    EXPECT_EQ(user.read("HKLM.ini"), "");
    EXPECT_EQ(user.read("HKCR.ini"), "");

    // Installing again, elsewhere, leaves one set of records naming the new place.
    ASSERT_EQ(packaging::writeSystemRegistry(install("/opt/aviary")), "");
    EXPECT_EQ(installPath(), "/opt/aviary/share/aviary");
    EXPECT_EQ(registeredServer(), "/opt/aviary/bin/tern");
}

TEST_F(InstalledMachine, AUsersOwnRegistrationOfTernWinsAndUnregisteringFallsBackToTheSystems)
{
    ASSERT_EQ(packaging::writeSystemRegistry(install("/usr")), "");
    // What "tern -RegServer" of a per-user installation does.
    ASSERT_EQ(tern::server::RegisterServer(RegistryStore::instance(), "/home/me/.local/bin/tern"), tern::S_OK);
    EXPECT_EQ(registeredServer(), "/home/me/.local/bin/tern");
    ASSERT_EQ(tern::server::UnregisterServer(RegistryStore::instance()), tern::S_OK);
    EXPECT_EQ(registeredServer(), "/usr/bin/tern");
}

TEST_F(InstalledMachine, RecordsAreReadableByEveryUserWhateverTheInstallersUmask)
{
    const mode_t previous = umask(077);
    const std::string error = packaging::writeSystemRegistry(install("/usr"));
    umask(previous);
    ASSERT_EQ(error, "");
    const auto mode = [&](const std::string& path) {
        struct stat st {};
        return stat(system.file(path).c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    for (const char* dir : {"etc", "etc/xdg", "etc/xdg/aviary", "share/dbus-1/services"}) EXPECT_EQ(mode(dir), 0755u) << dir;
    for (const char* file : {"etc/xdg/aviary/HKLM.ini", "etc/xdg/aviary/HKCR.ini", "share/dbus-1/services/org.aviary.Tern.service"})
        EXPECT_EQ(mode(file), 0644u) << file;
    EXPECT_EQ(mode("etc/xdg/aviary/HKLM.ini.lock"), 0u);
}

TEST_F(InstalledMachine, AnUnwritablePlaceIsReported)
{
    SystemRegistryPaths paths = install("/usr");
    paths.registryDir = "/proc/no/such/dir";
    EXPECT_NE(packaging::writeSystemRegistry(paths).find("/proc/no/such/dir"), std::string::npos);
    paths = install("/usr");
    paths.servicesDir = "/proc/no/such/services";
    EXPECT_NE(packaging::writeSystemRegistry(paths).find("/proc/no/such/services"), std::string::npos);
}
