#include "SmallDefinition.h"

#include <merlin/core/CCompare.h>

#include "LaunchRecorder.h"

#include <gtest/gtest.h>

using namespace merlin;
using merlin::testing::DefinitionDir;

namespace {

struct MerlinCompare : ::testing::Test {
    MerlinCompare() { definitions.load(set); }
    DefinitionDir definitions;
    CDpfParSet set;
};

}  // namespace

TEST_F(MerlinCompare, FreshDocumentHasNoDifferenceToItsDefaults)
{
    ASSERT_EQ(set.Count(), 8);
    EXPECT_TRUE(CCompare::compare(set, nullptr, false).empty());
    EXPECT_EQ(CCompare::heading(0), "0 differences detected !");
}

TEST_F(MerlinCompare, FactoryRowsShowValueAndDefaultText)
{
    ASSERT_EQ(set.SetValueFromText(0, 0, "12.34"), kValueOk);
    ASSERT_EQ(set.SetValue(0, 2, 2), kValueOk);
    const auto rows = CCompare::compare(set, nullptr, false);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (CompareRow{"203", "Speed", "1", "12.34", "50.00", "Hz", "0.00", "325.00", "0"}));
    EXPECT_EQ(rows[1], (CompareRow{"105", "Mode", "1", "Auto", "On", "", "0", "2", "0"}));
}

TEST_F(MerlinCompare, ReadOnlyParametersCanBeLeftOut)
{
    set.SetValueAt(set.FlatIndex(1, 1), 77);  // Hours, access 1
    EXPECT_EQ(CCompare::compare(set, nullptr, false).size(), 1u);
    EXPECT_TRUE(CCompare::compare(set, nullptr, true).empty());
}

TEST_F(MerlinCompare, FileCompareListsPositionsThatDifferOrAreMissing)
{
    CDpfParSet other;
    definitions.load(other, "small_v4.dpf");
    const std::string file = definitions.dir.file("older.par");
    ASSERT_EQ(other.SaveParameterFile(file), 0);

    CDpfParSet loaded(definitions.dir.path());
    loaded.SetTrace(nullptr);
    ASSERT_TRUE(CCompare::loadFile(file, loaded));
    ASSERT_EQ(loaded.Count(), 3);

    const auto rows = CCompare::compare(set, &loaded, false);
    // Group 1: Speed equal; Accel and Mode missing in the file. Group 2:
    // Password equal; Hours equal (0); three fault registers missing.
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][1], "Accel time");
    EXPECT_EQ(rows[0][4], "");
    EXPECT_EQ(rows[1][1], "Mode");
    EXPECT_EQ(rows[2][1], "Active fault");
    EXPECT_EQ(CCompare::columns(CompareMode::File)[3].title, std::string("Value 1"));
}

TEST_F(MerlinCompare, FileChoiceIsChecked)
{
    const std::string doc = definitions.dir.file("doc.par");
    EXPECT_EQ(CCompare::checkFile("/x/list.txt", doc)->text, "Invalid file !");
    EXPECT_EQ(CCompare::checkFile("/x/par", doc)->text, "Invalid file !");
    EXPECT_EQ(CCompare::checkFile(doc, doc)->text, "You selected the same file !");
    EXPECT_FALSE(CCompare::checkFile("/x/OTHER.PAR", doc));
    EXPECT_FALSE(CCompare::loadFile(definitions.dir.file("missing.par"), set));
}

TEST_F(MerlinCompare, CompareTextHasFixedColumns)
{
    set.SetValueFromText(0, 0, "12.34");
    const auto rows = CCompare::compare(set, nullptr, false);
    EXPECT_EQ(CCompare::textLine(CCompare::headerRow(CompareMode::FactoryDefaults)),
              "  Adr Parameter           Group          Value        Default Unit       Min      Max Type\n");
    EXPECT_EQ(CCompare::textLine(rows[0]),
              "  203 Speed                   1          12.34          50.00 Hz        0.00   325.00    0\n");
}

TEST_F(MerlinCompare, CompareTextIsWrittenAndShown)
{
    merlin::testing::LaunchRecorder viewer;
    set.SetValueFromText(0, 0, "1");
    const auto rows = CCompare::compare(set, nullptr, false);
    EXPECT_TRUE(CCompare::writeText(definitions.dir.path(), CompareMode::FactoryDefaults, rows).empty());
    const std::string text = definitions.dir.read("compare.txt");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    ASSERT_EQ(viewer.launched.size(), 1u);

    viewer.result = 2;
    const auto messages = CCompare::writeText(definitions.dir.path(), CompareMode::FactoryDefaults, rows);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "NOTEPAD application not found !");
    EXPECT_EQ(messages[1].text, "The software created a print file :\ncompare.txt");
}
