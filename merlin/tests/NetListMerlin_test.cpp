#include <merlin/core/CDeviceTable.h>
#include <merlin/core/DeviceChoice.h>
#include <merlin/core/DeviceNames.h>

#include "LaunchRecorder.h"
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace merlin;
using platform::testing::TempDir;

TEST(MerlinDeviceNames, DefinitionFileIsNamedAfterTheDrive)
{
    const struct { uint32_t type, app, version; const char* file; } cases[] = {
        {8, 1, 3, "LM3_Normal_V3.dpf"},
        {7, 2, 12, "LM3 Dorrin_Sequencer_V12.dpf"},
        {6, 0, 2, "LT4_Vexal_V2.dpf"},
        {5, 3, 1, "Unkwown_Unkwown_V1.dpf"},
        {900, 70000, 4, "Unkwown_Unkwown_V4.dpf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(definitionFileName(c.type, c.app, c.version), c.file);
    EXPECT_EQ(applicationText(2, 12), "Sequencer V12");
}

TEST(MerlinDeviceTable, FileIsTheImageOfTheRecords)
{
    TempDir dir;
    CDeviceTable table;
    table.setPresent(5, true);
    table.setName(5, "Pump 2");
    table.setIdentification(5, 8, 1, 3);
    table.setName(32, "Last");
    ASSERT_FALSE(table.save(dir.path()));

    const std::string bytes = dir.read("netlist2.cfg");
    ASSERT_EQ(bytes.size(), 1792u);
    const size_t r = 4 * 56;
    EXPECT_EQ(bytes[r + 1], 1);
    EXPECT_EQ(bytes.substr(r + 2, 7), std::string("Pump 2\0", 7));
    EXPECT_EQ(bytes.substr(r + 36, 12), std::string("\x08\0\0\0\x01\0\0\0\x03\0\0\0", 12));
    EXPECT_EQ(bytes.substr(31 * 56 + 2, 4), "Last");
}

TEST(MerlinDeviceTable, ReservedBytesAndShortFilesSurviveALoad)
{
    TempDir dir;
    std::string image(1792, '\0');
    image[0] = 'R';
    image[50] = 'Z';
    image[56 + 1] = 1;
    dir.write("netlist2.cfg", image.substr(0, 100));
    CDeviceTable table;
    table.setName(3, "kept");
    ASSERT_TRUE(table.load(dir.path()));
    EXPECT_TRUE(table.present(2));
    EXPECT_EQ(table.name(3), "kept") << "a short file replaces only the records it holds";
    ASSERT_FALSE(table.save(dir.path()));
    const std::string back = dir.read("netlist2.cfg");
    EXPECT_EQ(back[0], 'R');
    EXPECT_EQ(back[50], 'Z');
}

TEST(MerlinDeviceTable, NamesAreBoundedAndZeroFilled)
{
    CDeviceTable table;
    table.setName(1, std::string(40, 'x'));
    EXPECT_EQ(table.name(1), std::string(33, 'x'));
    table.setName(1, "ab");
    EXPECT_EQ(table.name(1), "ab");
    EXPECT_EQ(table.image()[2 + 3], 0);
    table.setName(0, "out of range");
    table.setName(33, "out of range");
    EXPECT_EQ(table.name(33), "");
}

TEST(MerlinDeviceTable, RowsListPresentDrivesWithTheirNames)
{
    CDeviceTable table;
    table.setPresent(5, true);
    table.setName(5, "Pump");
    table.setIdentification(5, 8, 1, 3);
    table.setPresent(9, true);
    table.setIdentification(9, 2, 9, 1);
    table.setName(12, "absent");
    const auto rows = table.presentRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].station, 5);
    EXPECT_EQ(rows[0].deviceType, "LM3");
    EXPECT_EQ(rows[0].name, "Pump");
    EXPECT_EQ(rows[0].application, "Normal V3");
    EXPECT_EQ(rows[1].deviceType, "Unkwown");
    EXPECT_EQ(rows[1].application, "Unkwown V1");
}

TEST(MerlinDeviceTable, RenameWritesTheFileButNotForTheActiveDrive)
{
    TempDir dir;
    CDeviceTable table;
    table.setName(5, "Old");
    ASSERT_FALSE(table.save(dir.path()));

    auto refused = table.rename(dir.path(), 5, "New name", 5);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, "You cannot change the name of an active device !");
    EXPECT_EQ(table.name(5), "Old");

    EXPECT_FALSE(table.rename(dir.path(), 5, "New name", 3));
    CDeviceTable reread;
    ASSERT_TRUE(reread.load(dir.path()));
    EXPECT_EQ(reread.name(5), "New name");
}

TEST(MerlinDeviceTable, UnwritableFileGivesTheAccessMessage)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("netlist2.cfg"));
    CDeviceTable table;
    auto message = table.save(dir.path());
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "'" + dir.file("netlist2.cfg") + "'\ncouldn't accessed !");
}

TEST(MerlinDeviceChoice, OkRefusesOrNamesTheDefinitionFile)
{
    CDeviceTable table;
    table.setPresent(5, true);
    table.setIdentification(5, 8, 1, 3);

    EXPECT_FALSE(emptyNetworkMessage(table));
    EXPECT_EQ(emptyNetworkMessage(CDeviceTable())->text, "No device is connected to the network !");

    auto none = chooseDevice(table, 0, 0);
    EXPECT_EQ(none.outcome, DeviceChoice::Outcome::NoSelection);
    EXPECT_EQ(none.message->text, "No inverter selected.");

    auto same = chooseDevice(table, 5, 5);
    EXPECT_EQ(same.outcome, DeviceChoice::Outcome::AlreadyConnected);
    EXPECT_EQ(same.message->text, "You are already connected to this device !");

    auto connect = chooseDevice(table, 5, 2);
    EXPECT_EQ(connect.outcome, DeviceChoice::Outcome::Connect);
    EXPECT_FALSE(connect.message);
    EXPECT_EQ(connect.station, 5);
    EXPECT_EQ(connect.definitionFile, "LM3_Normal_V3.dpf");
}

TEST(MerlinDeviceChoice, ConnectTraceIsWrittenAndShown)
{
    TempDir dir;
    merlin::testing::LaunchRecorder viewer;
    const ConnectTrace trace{2, 5, "05", 5, 5};
    EXPECT_TRUE(writeConnectTrace(dir.path(), trace).empty());
    EXPECT_EQ(dir.read("connect.txt"), "row= 2\naddress= 5\ngSelAddr= 05\nmSelAddr= 5\na = 5\n");
    ASSERT_EQ(viewer.launched.size(), 1u);
    EXPECT_EQ(viewer.launched[0].kind, platform::LaunchKind::TextViewer);

    viewer.result = 2;
    auto messages = writeConnectTrace(dir.path(), trace);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "NOTEPAD application not found !");
}
