// A device path handed to the link server through the port map: a number
// the map already gives it is used without a write; otherwise a free number
// is lent for the run, two runs at once lend two numbers, and ports.ini is
// given back byte for byte, comments and layout included.
#include <backup/lib/LentComPort.h>

#include <platform/PortMap.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <memory>

namespace backup {
namespace {

class LentComPortTest : public ::testing::Test {
protected:
    LentComPortTest()
    {
        for (int n = 1; n <= 8; ++n) env_.push_back(std::make_unique<platform::testing::ScopedEnv>(
                                         "AVIARY_COM" + std::to_string(n), nullptr));
    }
    std::string ports() const { return registry_.read("ports.ini"); }

    platform::testing::TempDir registry_;
    platform::testing::RegistryRedirect redirect_{registry_.path()};
    std::vector<std::unique_ptr<platform::testing::ScopedEnv>> env_;
    platform::testing::TempDir devices_;
    std::string usb0_ = devices_.write("ttyUSB0", ""), usb1_ = devices_.write("ttyUSB1", "");
};

TEST_F(LentComPortTest, AMappedDeviceKeepsItsNumberAndTheFileIsNotWritten)
{
    const std::string text = "; by hand\n[Ports]\nCOM2=" + usb0_ + "\n";
    registry_.write("ports.ini", text);
    struct stat before {};
    ASSERT_EQ(::stat(registry_.file("ports.ini").c_str(), &before), 0);
    {
        // Another name of the same device counts.
        std::filesystem::create_symlink(usb0_, devices_.file("by-id"));
        LentComPort port(devices_.file("by-id"));
        EXPECT_EQ(port.number(), 2) << port.error();
    }
    struct stat after {};
    ASSERT_EQ(::stat(registry_.file("ports.ini").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // every change replaces the file
    EXPECT_EQ(ports(), text);
}

TEST_F(LentComPortTest, RunsAtOnceLendTwoNumbersAndGiveTheFileBackExactly)
{
    const std::string text = "# plant lines\r\n[Settings]\nx=1\n\n[Ports]  \nCOM8=/dev/ttyS9\n; spare\n";
    registry_.write("ports.ini", text);
    auto first = std::make_unique<LentComPort>(usb0_);
    auto second = std::make_unique<LentComPort>(usb1_);
    ASSERT_TRUE(first->number() && second->number()) << first->error() << second->error();
    EXPECT_EQ(*first->number(), 7);  // COM8 is the user's
    EXPECT_EQ(*second->number(), 6);
    EXPECT_EQ(platform::comPortDevice(7), usb0_);
    EXPECT_EQ(platform::comPortDevice(6), usb1_);
    EXPECT_EQ(platform::comPortDevice(8), "/dev/ttyS9");
    first.reset();  // the first run ends while the second still has its number
    EXPECT_EQ(platform::comPortDevice(6), usb1_);
    second.reset();
    EXPECT_EQ(ports(), text);

    // No file before: none after.
    std::filesystem::remove(registry_.file("ports.ini"));
    {
        LentComPort port(usb0_);
        ASSERT_EQ(port.number(), 8) << port.error();
        EXPECT_EQ(platform::comPortDevice(8), usb0_);
    }
    EXPECT_FALSE(std::filesystem::exists(registry_.file("ports.ini")));
}

}  // namespace
}  // namespace backup
