#include <platform/RegistryStore.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <thread>

using namespace platform;
using platform::testing::ScopedEnv;
using platform::testing::TempDir;

namespace {
const std::string kInstallKey = "SOFTWARE\\Aviary Drives\\Aviary\\1.4.1";
}

TEST(RegistryStore, ValuesRoundTripAndSurviveANewStore)
{
    TempDir dir;
    {
        RegistryStore reg(dir.path());
        EXPECT_FALSE(reg.keyExists(Hive::LocalMachine, kInstallKey));
        ASSERT_TRUE(reg.setString(Hive::LocalMachine, kInstallKey, "InstallPath", "/opt/aviary\\with\nodd=chars"));
        ASSERT_TRUE(reg.setDword(Hive::CurrentUser, "Software\\Aviary Drives\\Kestrel\\Times", "Repeat", 8));
    }
    RegistryStore reg(dir.path());
    EXPECT_EQ(reg.getString(Hive::LocalMachine, kInstallKey, "InstallPath"), "/opt/aviary\\with\nodd=chars");
    EXPECT_EQ(reg.getDword(Hive::CurrentUser, "Software\\Aviary Drives\\Kestrel\\Times", "Repeat"), 8u);
    // Hives are separate, types are kept apart, names and keys ignore case.
    EXPECT_FALSE(reg.getString(Hive::CurrentUser, kInstallKey, "InstallPath"));
    EXPECT_FALSE(reg.getDword(Hive::LocalMachine, kInstallKey, "InstallPath"));
    EXPECT_FALSE(reg.getString(Hive::CurrentUser, "Software\\Aviary Drives\\Kestrel\\Times", "Repeat"));
    EXPECT_EQ(reg.getString(Hive::LocalMachine, "software\\aviary drives\\AVIARY\\1.4.1\\", "installpath"),
              "/opt/aviary\\with\nodd=chars");
}

TEST(RegistryStore, KeysBehaveLikeAPathTree)
{
    TempDir dir;
    RegistryStore reg(dir.path());
    ASSERT_TRUE(reg.setString(Hive::LocalMachine, "SOFTWARE\\Aviary Drives\\Aviary\\1.2.21", "InstallPath", "/x"));
    // Every level of the path opens, as the start-up lookup walks it.
    EXPECT_TRUE(reg.keyExists(Hive::LocalMachine, "SOFTWARE"));
    EXPECT_TRUE(reg.keyExists(Hive::LocalMachine, "SOFTWARE\\Aviary Drives\\Aviary"));
    EXPECT_FALSE(reg.keyExists(Hive::LocalMachine, "SOFTWARE\\Aviary Drives\\Aviary\\1.4.1"));
    ASSERT_TRUE(reg.createKey(Hive::LocalMachine, "SOFTWARE\\Aviary Drives\\Aviary\\1.4.1"));
    EXPECT_EQ(reg.subKeys(Hive::LocalMachine, "SOFTWARE\\Aviary Drives\\Aviary"),
              (std::vector<std::string>{"1.2.21", "1.4.1"}));
    ASSERT_TRUE(reg.deleteKey(Hive::LocalMachine, "SOFTWARE\\Aviary Drives"));
    EXPECT_FALSE(reg.keyExists(Hive::LocalMachine, "SOFTWARE"));
    EXPECT_FALSE(reg.deleteKey(Hive::LocalMachine, "SOFTWARE\\Aviary Drives"));
    EXPECT_FALSE(reg.deleteValue(Hive::LocalMachine, "SOFTWARE", "nothing"));
}

TEST(RegistryStore, EnvironmentRedirectsTheProcessWideStore)
{
    TempDir a, b;
    {
        platform::testing::RegistryRedirect redirect(a.path());
        ASSERT_TRUE(RegistryStore::instance().setString(Hive::ClassesRoot, "Tern.ModBusLink.1", "", "ModBusLink Class"));
        EXPECT_EQ(RegistryStore::instance().directory(), a.path());
    }
    {
        platform::testing::RegistryRedirect redirect(b.path());
        EXPECT_FALSE(RegistryStore::instance().keyExists(Hive::ClassesRoot, "Tern.ModBusLink.1"));
    }
    EXPECT_NE(a.read("HKCR.ini").find("[Tern.ModBusLink.1]"), std::string::npos);
}

TEST(RegistryStore, AStoreHandedOutOutlivesAChangeOfConfiguration)
{
    TempDir a, b;
    platform::testing::RegistryRedirect toA(a.path());
    RegistryStore& first = RegistryStore::instance();
    ASSERT_TRUE(first.setString(Hive::LocalMachine, kInstallKey, "InstallPath", "/a"));
    {
        platform::testing::RegistryRedirect toB(b.path());
        EXPECT_NE(&RegistryStore::instance(), &first);
        // Still whole and still reading its own directory.
        EXPECT_EQ(first.getString(Hive::LocalMachine, kInstallKey, "InstallPath"), "/a");
    }
    EXPECT_EQ(&RegistryStore::instance(), &first);
}

TEST(RegistryStore, ConcurrentWritersLoseNothing)
{
    TempDir dir;
    RegistryStore reg(dir.path());
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) reg.setDword(Hive::CurrentUser, "K" + std::to_string(t), "v" + std::to_string(i), i);
        });
    for (auto& w : writers) w.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(reg.valueNames(Hive::CurrentUser, "K" + std::to_string(t)).size(), 25u);
}

TEST(RegistryStore, CorruptAndUnwritableFilesFailCleanly)
{
    TempDir dir;
    dir.write("HKCU.ini", "garbage without section\n=\n[Open\n[Good]\nA=s:1\nB=d:notanumber\nC=d:99999999999\n");
    RegistryStore reg(dir.path());
    EXPECT_EQ(reg.getString(Hive::CurrentUser, "Good", "A"), "1");
    EXPECT_FALSE(reg.getDword(Hive::CurrentUser, "Good", "B"));
    EXPECT_FALSE(reg.getDword(Hive::CurrentUser, "Good", "C"));

    RegistryStore nowhere("/proc/definitely/not/writable");
    EXPECT_FALSE(nowhere.setString(Hive::CurrentUser, "K", "v", "x"));
    EXPECT_FALSE(nowhere.getString(Hive::CurrentUser, "K", "v"));
}

TEST(Profile, SectionsLiveUnderCompanyAndApplication)
{
    TempDir dir;
    RegistryStore reg(dir.path());
    Profile kestrel("Aviary Drives", "Kestrel", reg);
    Profile merlin("Aviary Drives", "Merlin", reg);
    EXPECT_EQ(kestrel.getInt("Times", "Repeat", 8), 8);
    EXPECT_EQ(kestrel.getString("Settings", "Baud"), "");
    ASSERT_TRUE(kestrel.writeInt("Times", "Repeat", 3));
    ASSERT_TRUE(kestrel.writeString("Settings", "Baud", "19200"));
    ASSERT_TRUE(kestrel.writeInt("Settings", "Port", -1));
    EXPECT_EQ(kestrel.getInt("Times", "Repeat", 8), 3);
    EXPECT_EQ(kestrel.getInt("Settings", "Port", 1), -1);
    EXPECT_EQ(merlin.getInt("Times", "Repeat", 8), 8);
    EXPECT_EQ(reg.getString(Hive::CurrentUser, "Software\\Aviary Drives\\Kestrel\\Settings", "Baud"), "19200");
}

namespace {

const char* const kSystemHklm = "[SOFTWARE\\Aviary Drives\\Aviary\\1.4.1]\nInstallPath=s:/usr/share/aviary\n";

}  // namespace

TEST(RegistryStoreSystemLayer, UserValuesOverlayTheInstallationsAndChangesStayWithTheUser)
{
    TempDir user, system;
    system.write("HKLM.ini", kSystemHklm);
    system.write("HKCR.ini", "[Tern.ModBusLink.1\\CLSID]\n=s:{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}\n");
    system.write("HKCU.ini", "[Software\\Aviary Drives\\Kestrel\\Options]\nSplash=d:0\n");
    const std::string systemHklm = system.read("HKLM.ini");
    RegistryStore reg(user.path(), system.path());

    // A fresh user sees the installation and the registered class.
    EXPECT_EQ(reg.getString(Hive::LocalMachine, kInstallKey, "InstallPath"), "/usr/share/aviary");
    EXPECT_TRUE(reg.keyExists(Hive::LocalMachine, "SOFTWARE\\Aviary Drives"));
    EXPECT_TRUE(reg.keyExists(Hive::ClassesRoot, "Tern.ModBusLink.1\\CLSID"));
    // The user profile is the user's alone.
    EXPECT_FALSE(reg.getDword(Hive::CurrentUser, "Software\\Aviary Drives\\Kestrel\\Options", "Splash"));

    // The user's own value wins, value by value; the system file is untouched.
    ASSERT_TRUE(reg.setString(Hive::LocalMachine, kInstallKey, "InstallPath", "/home/me/aviary"));
    ASSERT_TRUE(reg.setString(Hive::LocalMachine, kInstallKey, "Extra", "x"));
    EXPECT_EQ(reg.getString(Hive::LocalMachine, kInstallKey, "InstallPath"), "/home/me/aviary");
    EXPECT_EQ(reg.valueNames(Hive::LocalMachine, kInstallKey), (std::vector<std::string>{"InstallPath", "Extra"}));
    EXPECT_EQ(system.read("HKLM.ini"), systemHklm);

    // A user cannot remove the machine's records: the user's go, the system's show again.
    EXPECT_TRUE(reg.deleteKey(Hive::LocalMachine, "SOFTWARE"));
    EXPECT_EQ(reg.getString(Hive::LocalMachine, kInstallKey, "InstallPath"), "/usr/share/aviary");
    EXPECT_FALSE(reg.deleteKey(Hive::ClassesRoot, "Tern.ModBusLink.1"));
    EXPECT_FALSE(reg.deleteValue(Hive::LocalMachine, kInstallKey, "InstallPath"));
    EXPECT_EQ(reg.subKeys(Hive::LocalMachine, "SOFTWARE\\Aviary Drives\\Aviary"), (std::vector<std::string>{"1.4.1"}));
}

TEST(RegistryStoreSystemLayer, ProcessWideStoreFindsTheInstallationsDirectory)
{
    TempDir home, first, second, fixed;
    second.write("aviary/HKLM.ini", kSystemHklm);
    ScopedEnv noRedirect("AVIARY_REGISTRY", nullptr);
    ScopedEnv noSystem("AVIARY_SYSTEM_REGISTRY", nullptr);
    ScopedEnv config("XDG_CONFIG_HOME", home.path().c_str());

    {
        // The first configuration directory that holds a hive; relative entries do not count.
        const std::string dirs = "relative:" + first.path() + ":" + second.path();
        ScopedEnv xdg("XDG_CONFIG_DIRS", dirs.c_str());
        EXPECT_EQ(RegistryStore::configuredSystemDirectory(), second.path() + "/aviary");
        auto& store = RegistryStore::instance();
        EXPECT_EQ(store.directory(), home.path() + "/aviary");
        EXPECT_EQ(store.getString(Hive::LocalMachine, kInstallKey, "InstallPath"), "/usr/share/aviary");
        // Settings written at exit land in the user's own directory.
        ASSERT_TRUE(Profile("Aviary Drives", "Kestrel", store).writeInt("Options", "Splash", 0));
        EXPECT_NE(home.read("aviary/HKCU.ini").find("Splash=d:0"), std::string::npos);
    }
    {
        // Without one, the directory the suite was configured with.
        ScopedEnv xdg("XDG_CONFIG_DIRS", first.path().c_str());
        EXPECT_FALSE(RegistryStore::configuredSystemDirectory().empty());
        EXPECT_NE(RegistryStore::configuredSystemDirectory(), first.path() + "/aviary");
    }
    {
        // An explicit system directory wins; a redirected store alone has no system layer.
        ScopedEnv xdg("XDG_CONFIG_DIRS", second.path().c_str());
        ScopedEnv explicitDir("AVIARY_SYSTEM_REGISTRY", fixed.path().c_str());
        EXPECT_EQ(RegistryStore::instance().systemDirectory(), fixed.path());
        EXPECT_FALSE(RegistryStore::instance().getString(Hive::LocalMachine, kInstallKey, "InstallPath"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_DIRS", second.path().c_str());
        platform::testing::RegistryRedirect redirect(home.path());
        EXPECT_EQ(RegistryStore::instance().systemDirectory(), "");
        EXPECT_FALSE(RegistryStore::instance().getString(Hive::LocalMachine, kInstallKey, "InstallPath"));
    }
}
