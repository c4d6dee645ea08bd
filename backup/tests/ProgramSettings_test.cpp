// A backup starts from the line settings the programs keep in their profiles.
#include <backup/lib/ProgramSettings.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

namespace backup {
namespace {

TEST(ProgramSettings, KestrelAndMerlinProfilesGiveTheLine)
{
    platform::testing::TempDir dir;
    platform::RegistryStore store(dir.path());
    platform::Profile kestrel("Aviary Drives", "Kestrel", store);
    const KestrelLine defaults = kestrelLineFromProfile(kestrel);
    EXPECT_EQ(defaults.port, 1);
    EXPECT_EQ(defaults.repeat, 8);
    EXPECT_EQ(defaults.tWait, 50);
    EXPECT_EQ(defaults.commSettings, "9600,N,8,1");

    kestrel.writeInt("Settings", "Port", 3);
    kestrel.writeString("Settings", "Baud", "38400");
    kestrel.writeString("Settings", "Protocol", "7E1");
    kestrel.writeInt("Settings", "RTS", 1);
    kestrel.writeInt("Times", "Repeat", 4);
    kestrel.writeInt("Times", "tWait", 20);
    const KestrelLine line = kestrelLineFromProfile(kestrel);
    EXPECT_EQ(line.port, 3);
    // The program's fastest setting runs the line one step faster.
    EXPECT_EQ(line.commSettings, "57600,E,7,1");
    EXPECT_TRUE(line.rtsMode);
    EXPECT_EQ(line.repeat, 4);
    EXPECT_EQ(line.tWait, 20);

    platform::Profile merlin("Aviary Drives", "Merlin", store);
    merlin.writeInt("Settings", "Port", 2);
    merlin.writeInt("Times", "ModBus Timeout", 400);
    const merlin::LinkSettings link = merlinLinkFromProfile(merlin);
    EXPECT_EQ(link.comPort, 2);
    EXPECT_EQ(link.timeoutMs, 400u);
    EXPECT_EQ(link.requestDelayMs, 70u);
}

}  // namespace
}  // namespace backup
