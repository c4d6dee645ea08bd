// "netlist.cfg" byte layout, damaged files, titles and renames.
#include <kestrel/core/CDeviceTable.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kestrel {
namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class DeviceTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state().reset();
        state().installDir = dir.path();
    }
    void TearDown() override { state().reset(); }
    platform::testing::TempDir dir;
};

TEST_F(DeviceTableTest, FileIsTheTableImageByteForByte)
{
    CDeviceTable t;
    t.setPresent(5, true);
    t.setName(5, "Pump 2");
    t.setRatedPower(5, 0x05DC);
    t.setRatedPower(31, -2);
    const std::string path = dir.file("netlist.cfg");
    ASSERT_TRUE(t.save(path));
    const std::string b = slurp(path);
    ASSERT_EQ(b.size(), 1664u);
    const std::string rec = b.substr(5 * 52, 52);
    EXPECT_EQ(rec[0], 0);
    EXPECT_EQ(rec[1], 1);
    EXPECT_EQ(rec.substr(2, 7), std::string("Pump 2\0", 7));
    EXPECT_EQ(rec.substr(36, 4), std::string("\xDC\x05\0\0", 4));
    EXPECT_EQ(b.substr(31 * 52 + 36, 4), "\xFE\xFF\xFF\xFF");
    EXPECT_EQ(b.substr(0, 52), std::string(52, '\0'));
}

TEST_F(DeviceTableTest, LoadKeepsReservedBytesAndSaveWritesThemBack)
{
    std::string image(1664, '\0');
    image[7 * 52] = 'R';
    image[7 * 52 + 40] = 'x';
    image[7 * 52 + 51] = 'y';
    const std::string path = dir.write("netlist.cfg", image);
    CDeviceTable t;
    ASSERT_TRUE(t.load(path));
    t.setName(7, "Fan");
    ASSERT_TRUE(t.save(path));
    const std::string b = slurp(path);
    EXPECT_EQ(b[7 * 52], 'R');
    EXPECT_EQ(b[7 * 52 + 40], 'x');
    EXPECT_EQ(b[7 * 52 + 51], 'y');
}

TEST_F(DeviceTableTest, ShortOrDamagedFilesAreReadAsFarAsTheyGoWithoutOverrun)
{
    CDeviceTable t;
    t.setName(20, "Keep me");
    std::string image(52 + 10, '\0');
    image[1] = 1;
    // Record 1 starts but its name has no terminator before the file ends,
    // and record 0's name runs over all 34 bytes.
    for (int i = 2; i < 36; ++i) image[static_cast<size_t>(i)] = 'A';
    const std::string path = dir.write("netlist.cfg", image);
    ASSERT_TRUE(t.load(path));
    EXPECT_TRUE(t.present(0));
    EXPECT_EQ(t.name(0), std::string(30, 'A'));
    EXPECT_EQ(t.name(20), "Keep me");
    EXPECT_FALSE(t.load(dir.file("missing.cfg")));
    EXPECT_EQ(t.name(20), "Keep me");
    EXPECT_EQ(t.name(-1), "");
    EXPECT_FALSE(t.present(32));
}

TEST_F(DeviceTableTest, NamesAreCutAtThirtyAndZeroFilledAfterTheTerminator)
{
    CDeviceTable t;
    t.setName(3, std::string(40, 'N'));
    EXPECT_EQ(t.name(3), std::string(30, 'N'));
    t.setName(3, "ab");
    EXPECT_EQ(t.name(3), "ab");
    const uint8_t* name = t.bytes().data() + 3 * 52 + 2;
    for (int i = 2; i <= 30; ++i) EXPECT_EQ(name[i], 0) << i;
}

TEST_F(DeviceTableTest, TitleCarriesTheAddressAndTheQuotedName)
{
    CDeviceTable t;
    t.setName(5, "Pump 2");
    ASSERT_TRUE(t.save(CDeviceTable::defaultPath()));
    const DeviceTitleResult r = DeviceTitle("5");
    EXPECT_EQ(r.title, "ADDR=05\"Pump 2\"");
    EXPECT_FALSE(r.notice);
    EXPECT_EQ(DeviceTitle("").title, "");
    EXPECT_EQ(CDeviceTable::ratedPowerText(0x05DC), "15.00 kW");
}

TEST_F(DeviceTableTest, TitleWithoutTheFileSaysSo)
{
    const DeviceTitleResult r = DeviceTitle("12");
    EXPECT_EQ(r.title, "ADDR=12\"\"");
    ASSERT_TRUE(r.notice);
    EXPECT_EQ(r.notice->text, "netlist.cfg nof found !");
}

TEST_F(DeviceTableTest, RenameIsRefusedWhileAWindowIsOpenForTheDrive)
{
    state().windowPresence[4] = '1';
    const auto refused = RenameDevice(4, "Conveyor");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, "You cannot change the name of an active device !");
    EXPECT_FALSE(std::ifstream(CDeviceTable::defaultPath()).good());

    state().windowPresence[4] = '0';
    EXPECT_FALSE(RenameDevice(4, "Conveyor"));
    CDeviceTable t;
    ASSERT_TRUE(t.load(CDeviceTable::defaultPath()));
    EXPECT_EQ(t.name(4), "Conveyor");
}

}  // namespace
}  // namespace kestrel
