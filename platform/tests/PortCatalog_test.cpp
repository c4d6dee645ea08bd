// The serial devices the "Ports..." dialog offers: adapters by their stable
// by-id names with maker, model and serial, then the plain tty devices not
// already covered, in the order a user counts them.
#include <platform/PortCatalog.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace platform {
namespace {

TEST(PortCatalog, ByIdNamesGiveMakerModelAndSerial)
{
    SerialDeviceInfo d;
    ASSERT_TRUE(parseByIdName("usb-FTDI_USB-RS485_Cable_FT1234AB-if00-port0", d));
    EXPECT_EQ(d.maker, "FTDI");
    EXPECT_EQ(d.model, "USB-RS485_Cable");
    EXPECT_EQ(d.serial, "FT1234AB");
    ASSERT_TRUE(parseByIdName("usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00", d));
    EXPECT_EQ(d.maker, "Silicon");
    EXPECT_EQ(d.serial, "0001");
    EXPECT_FALSE(parseByIdName("pci-0000:00:14.0-usb-0:1:1.0-port0", d));
    EXPECT_FALSE(parseByIdName("usb-Nameless-if00", d));
}

TEST(PortCatalog, AdaptersFirstThenTheTtyDevicesTheyDoNotCover)
{
    testing::TempDir dev;
    for (const char* name : {"ttyS10", "ttyS2", "ttyUSB0", "ttyUSB1", "ttyACM0", "tty1", "null"})
        dev.write(name, "");
    std::filesystem::create_directories(dev.path() + "/serial/by-id");
    std::filesystem::create_symlink("../../ttyUSB1", dev.path() + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A9XYZ-if00-port0");
    const auto found = listSerialDevices(dev.path());
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0].path, dev.path() + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A9XYZ-if00-port0");
    EXPECT_EQ(found[0].device, dev.path() + "/ttyUSB1");
    EXPECT_EQ(found[0].serial, "A9XYZ");
    std::vector<std::string> rest;
    for (size_t i = 1; i < found.size(); ++i) rest.push_back(found[i].path.substr(dev.path().size() + 1));
    EXPECT_EQ(rest, (std::vector<std::string>{"ttyACM0", "ttyS2", "ttyS10", "ttyUSB0"}));

    EXPECT_TRUE(devicePresent(dev.path() + "/ttyUSB0"));
    EXPECT_FALSE(devicePresent(dev.path() + "/ttyUSB7"));
    EXPECT_TRUE(devicePresent("rfc2217://cabinet:4001"));
    // A machine without any adapter: an empty list, not a failure.
    testing::TempDir empty;
    EXPECT_TRUE(listSerialDevices(empty.path()).empty());
}

}  // namespace
}  // namespace platform
