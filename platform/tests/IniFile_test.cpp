#include <platform/IniFile.h>
#include <platform/PortMap.h>
#include <platform/RegistryStore.h>
#include <platform/WholeFile.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>

using namespace platform;
using platform::testing::ScopedEnv;
using platform::testing::TempDir;

namespace {

// Opening one file fails as it would for a user without read permission;
// every other file opens as usual.
class UnreadableFile {
public:
    explicit UnreadableFile(std::string path)
        : previous_(setFileOpener([path = std::move(path)](const std::string& p) {
              if (p == path) {
                  errno = EACCES;
                  return -1;
              }
              return ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
          }))
    {
    }
    ~UnreadableFile() { setFileOpener(previous_); }
private:
    FileOpener previous_;
};

}  // namespace

TEST(IniFile, KeysAndValuesAreReadWithoutTheSpacesAroundThem)
{
    TempDir dir;
    platform::testing::RegistryRedirect redirect(dir.path());
    ScopedEnv noOverride("AVIARY_COM1", nullptr);
    ScopedEnv noOverride2("AVIARY_COM2", nullptr);
    dir.write("ports.ini", "[Ports]\nCOM1 = /dev/ttyUSB0\n\t COM2\t=\t/dev/ttyS1  \r\n");
    EXPECT_EQ(comPortDevice(1), "/dev/ttyUSB0");
    EXPECT_EQ(comPortDevice(2), "/dev/ttyS1");

    // Spaces a value truly has at its ends survive the trimming reader.
    IniFile ini;
    ini.set("S", "padded", "  two spaces, a tab\t");
    ini.set("S", "blank", " ");
    IniFile back;
    back.parse(ini.text());
    EXPECT_EQ(back.get("S", "padded"), "  two spaces, a tab\t");
    EXPECT_EQ(back.get("S", "blank"), " ");
    EXPECT_EQ(back.get("s", "PADDED"), "  two spaces, a tab\t");
}

TEST(IniFile, TheFirstSettingOfANewUserMakesTheSettingsFolder)
{
    TempDir home;
    platform::testing::RegistryRedirect redirect(home.file(".config/aviary"));
    ScopedEnv noOverride("AVIARY_COM2", nullptr);
    ASSERT_TRUE(setComPortDevice(2, "/dev/pts/7"));
    EXPECT_EQ(comPortDevice(2), "/dev/pts/7");
    EXPECT_EQ(home.read(".config/aviary/ports.ini"), "[Ports]\nCOM2=/dev/pts/7\n\n");
}

TEST(IniFile, WritingOneKeyKeepsEveryOtherLineByteForByte)
{
    TempDir dir;
    platform::testing::RegistryRedirect redirect(dir.path());
    const std::string head =
        "; ports of the service laptop\n"
        "\n"
        "[Ports]\r\n"
        "# the USB adapter on the left\n"
        "COM1 = /dev/ttyUSB0   \n";
    const std::string tail =
        ";COM2=/dev/ttyS1 (broken cable)\n"
        "\n"
        "[Notes]\n"
        "text the reader cannot use\n"
        "COM1=not a port";   // no line end at the end of the file
    dir.write("ports.ini", head + tail);

    ASSERT_TRUE(setComPortDevice(1, "/dev/ttyUSB1"));
    std::string expected =
        "; ports of the service laptop\n\n[Ports]\r\n# the USB adapter on the left\n"
        "COM1 = /dev/ttyUSB1   \n" + tail;
    EXPECT_EQ(dir.read("ports.ini"), expected);

    // A new key joins its section after the last value.
    ASSERT_TRUE(setComPortDevice(3, "/dev/ttyACM0"));
    expected = "; ports of the service laptop\n\n[Ports]\r\n# the USB adapter on the left\n"
               "COM1 = /dev/ttyUSB1   \nCOM3=/dev/ttyACM0\n" + tail;
    EXPECT_EQ(dir.read("ports.ini"), expected);

    // A new section goes at the end; the old last line gets its line end.
    IniFile ini;
    ASSERT_TRUE(ini.load(dir.file("ports.ini")));
    ini.set("Extra", "k", "v");
    ASSERT_TRUE(ini.remove("Notes", "COM1"));
    EXPECT_EQ(ini.text(), "; ports of the service laptop\n\n[Ports]\r\n# the USB adapter on the left\n"
                          "COM1 = /dev/ttyUSB1   \nCOM3=/dev/ttyACM0\n;COM2=/dev/ttyS1 (broken cable)\n\n"
                          "[Notes]\ntext the reader cannot use\n[Extra]\nk=v\n\n");
}

TEST(IniFile, TheSettingsStoreKeepsAUsersCommentsInItsHive)
{
    TempDir dir;
    const std::string before =
        "; kept by hand\n"
        "[Software\\Aviary Drives\\Kestrel\\Settings]\n"
        "Baud=s:9600\n"
        "; Port 3 is the bench\n"
        "Port = d:3\n"
        "\n"
        "[Software\\Aviary Drives\\Kestrel\\Options]\n"
        "Debug=d:0\n";
    dir.write("HKCU.ini", before);
    RegistryStore reg(dir.path());
    Profile kestrel("Aviary Drives", "Kestrel", reg);
    EXPECT_EQ(kestrel.getInt("Settings", "Port", 1), 3);
    ASSERT_TRUE(kestrel.writeInt("Settings", "Port", 4));
    std::string after = before;
    after.replace(after.find("Port = d:3"), 10, "Port = d:4");
    EXPECT_EQ(dir.read("HKCU.ini"), after);
    // Writing the same value again changes nothing at all.
    ASSERT_TRUE(kestrel.writeString("Settings", "Baud", "9600"));
    EXPECT_EQ(dir.read("HKCU.ini"), after);
}

TEST(IniFile, AFileThatExistsButCannotBeReadIsNeverReplaced)
{
    TempDir dir;
    const std::string settings =
        "[Software\\Aviary Drives\\Kestrel\\Settings]\nPort=d:4\nBaud=s:19200\nReaderPath=s:/usr/bin/evince\n";
    const std::string hive = dir.write("HKCU.ini", settings);
    RegistryStore reg(dir.path());
    const std::string key = "Software\\Aviary Drives\\Kestrel\\Settings";
    {
        UnreadableFile denied(hive);
        EXPECT_FALSE(reg.setString(Hive::CurrentUser, key, "Protocol", "8N1"));
        EXPECT_FALSE(reg.setDword(Hive::CurrentUser, key, "Port", 1));
        EXPECT_FALSE(reg.deleteValue(Hive::CurrentUser, key, "Baud"));
        EXPECT_FALSE(reg.getDword(Hive::CurrentUser, key, "Port"));

        platform::testing::RegistryRedirect redirect(dir.path());
        const std::string ports = dir.write("ports.ini", "[Ports]\nCOM1=/dev/ttyUSB0\n");
        UnreadableFile deniedPorts(ports);
        EXPECT_FALSE(setComPortDevice(2, "/dev/ttyUSB1"));
        EXPECT_EQ(dir.read("ports.ini"), "[Ports]\nCOM1=/dev/ttyUSB0\n");
    }
    EXPECT_EQ(dir.read("HKCU.ini"), settings);
    // Readable again, it still holds every value.
    EXPECT_EQ(reg.getDword(Hive::CurrentUser, key, "Port"), 4u);
    EXPECT_EQ(reg.getString(Hive::CurrentUser, key, "ReaderPath"), "/usr/bin/evince");
}
