#include <platform/RegistryStore.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <thread>

using namespace platform;
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
