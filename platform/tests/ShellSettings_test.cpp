// The programs' profile settings: the keys they are kept under, their
// defaults, and what the chosen rate and format mean for the line.
#include <platform/CommSettings.h>
#include <platform/ShellSettings.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ShellSettings, KeysDefaultsAndTheDummyFlag)
{
    testing::TempDir dir;
    RegistryStore store(dir.path());
    Profile profile("Aviary Drives", "Kestrel", store);
    ShellSettings s;
    loadSettings(profile, s);
    EXPECT_EQ(s.port, 1);
    EXPECT_TRUE(s.splash);
    EXPECT_TRUE(s.com);
    EXPECT_FALSE(s.dummy);

    s.port = 3;
    s.baud = "19200";
    s.protocol = "7E1";
    s.online = 1;
    s.splash = false;
    s.dummy = true;
    ASSERT_TRUE(saveSettings(profile, s, false));
    EXPECT_EQ(profile.getInt("Settings", "Port", 0), 3);
    EXPECT_EQ(profile.getString("Settings", "Baud"), "19200");
    EXPECT_EQ(profile.getString("Settings", "Protocol"), "7E1");
    EXPECT_EQ(profile.getInt("Options", "Splash", 1), 0);
    // "Dummy" is the options flag's business only.
    EXPECT_EQ(profile.getInt("Options", "Dummy", 7), 7);
    ASSERT_TRUE(saveSettings(profile, s, true));
    ShellSettings back;
    loadSettings(profile, back);
    EXPECT_EQ(back.port, 3);
    EXPECT_EQ(back.online, 1);
    EXPECT_FALSE(back.splash);
    EXPECT_TRUE(back.dummy);
}

TEST(CommSettings, RateAndFormatMakeTheSettingsString)
{
    ShellSettings s;
    s.port = 2;
    s.baud = "38400";
    s.protocol = "7E1";
    const AppliedComm a = applySettings(s);
    EXPECT_EQ(a.portNumber, 2);
    EXPECT_EQ(a.settingsString, "57600,E,7,1");
    EXPECT_EQ(a.panePort, "COM2");
    EXPECT_EQ(a.paneBaud, "38400");
    EXPECT_EQ(baudPart("9600"), "9600,");
    EXPECT_EQ(baudPart("115200"), "");
    EXPECT_EQ(formatPart("8N1"), "N,8,1");
    EXPECT_EQ(formatPart(""), "N,8,1");
}

}  // namespace
}  // namespace platform
