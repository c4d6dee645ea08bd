#include "SmallDefinition.h"

#include <merlin/core/CompareDialog.h>

#include "LaunchRecorder.h"

#include <platform/testing/ScriptedResponder.h>

#include <gtest/gtest.h>

using namespace merlin;
using merlin::testing::DefinitionDir;
using platform::MsgIcon;

namespace {

struct MerlinCompareDialog : ::testing::Test {
    MerlinCompareDialog()
    {
        definitions.load(set);
        documentPath = definitions.dir.file("mine.par");
        set.SaveParameterFile(documentPath);
    }
    // A parameter file of the other definition, with its own values.
    std::string olderFile()
    {
        CDpfParSet other;
        definitions.load(other, "small_v4.dpf");
        const std::string file = definitions.dir.file("older.par");
        EXPECT_EQ(other.SaveParameterFile(file), 0);
        return file;
    }
    DefinitionDir definitions;
    CDpfParSet set;
    std::string documentPath;
    CompareDialog dialog{set};
};

}  // namespace

TEST_F(MerlinCompareDialog, UnusableFilesAreRefusedWithTheirMessage)
{
    EXPECT_EQ(dialog.CompareWithFile(definitions.dir.file("list.txt"), documentPath),
              (std::vector<platform::Notice>{{"Invalid file !", MsgIcon::Exclamation}}));
    EXPECT_FALSE(dialog.ready());
    EXPECT_EQ(dialog.CompareWithFile(documentPath, documentPath),
              (std::vector<platform::Notice>{{"You selected the same file !", MsgIcon::Exclamation}}));
    EXPECT_FALSE(dialog.ready());
    // The same file reached by another path is still the same file.
    EXPECT_EQ(dialog.CompareWithFile(definitions.dir.path() + "/./mine.par", documentPath).at(0).text,
              "You selected the same file !");
}

TEST_F(MerlinCompareDialog, FileOfAMissingDefinitionEndsTheCompareAndKeepsTheDocument)
{
    const std::string file = olderFile();
    std::filesystem::remove(definitions.dir.file("DeviceData/small_v4.dpf"));
    set.SetValueAt(0, 1234);
    platform::testing::ScriptedResponder responder([](const std::string& failure) { ADD_FAILURE() << failure; });
    responder.expect("'" + definitions.dir.file("DeviceData/small_v4.dpf") + "'\n not found !", MsgIcon::Exclamation);
    EXPECT_TRUE(dialog.CompareWithFile(file, documentPath).empty());
    EXPECT_FALSE(dialog.ready());
    EXPECT_EQ(set.Count(), 8);
    EXPECT_EQ(set.ValueAt(0), 1234);
    EXPECT_TRUE(responder.verify());
}

TEST_F(MerlinCompareDialog, FileOfAnotherDefinitionListsDifferencesAndMissingParameters)
{
    set.SetValueAt(0, 1234);  // Speed: the file keeps 5000
    ASSERT_TRUE(dialog.CompareWithFile(olderFile(), documentPath).empty());
    ASSERT_TRUE(dialog.ready());
    const CompareDialog::View& view = dialog.view();
    EXPECT_EQ(view.title, "Compare Results - Differences");
    EXPECT_EQ(view.secondCaption, definitions.dir.file("older.par"));
    EXPECT_STREQ(view.columns[3].title, "Value 1");
    EXPECT_STREQ(view.columns[4].title, "Value 2");
    // Speed differs; Accel and Mode are missing; three fault registers missing.
    ASSERT_EQ(view.rows.size(), 6u);
    EXPECT_EQ(view.rows[0][1], "Speed");
    EXPECT_EQ(view.rows[0][4], "50.00");
    EXPECT_EQ(view.rows[1][4], "");
    EXPECT_EQ(view.heading, "6 differences detected !");
    // The document's definition is untouched by the file's.
    EXPECT_EQ(set.Count(), 8);

    // Leaving out read-only parameters drops the three fault registers.
    dialog.SetSkipReadOnly(true);
    EXPECT_EQ(dialog.view().rows.size(), 3u);
    EXPECT_EQ(dialog.view().heading, "3 differences detected !");
}

TEST_F(MerlinCompareDialog, FactoryDefaultsOfAFreshDocumentShowNoRowsAndWriteTheHeaderOnly)
{
    dialog.CompareWithFactoryDefaults();
    ASSERT_TRUE(dialog.ready());
    EXPECT_EQ(dialog.view().secondCaption, "Factory defaults");
    EXPECT_STREQ(dialog.view().columns[4].title, "Default");
    EXPECT_EQ(dialog.view().heading, "0 differences detected !");

    merlin::testing::LaunchRecorder viewer;
    EXPECT_TRUE(dialog.WriteText(definitions.dir.path()).empty());
    ASSERT_EQ(viewer.launched.size(), 1u);
    EXPECT_EQ(definitions.dir.read("compare.txt"),
              "  Adr Parameter           Group          Value        Default Unit       Min      Max Type\n");
}
