#include "DpfTestSupport.h"
#include "SmallDefinition.h"

#include <merlin/core/DefinitionChoice.h>
#include <merlin/core/MerlinDocument.h>
#include <merlin/core/MerlinState.h>
#include <merlin/core/NetworkDialog.h>
#include <merlin/testing/CFakeLink.h>
#include <platform/testing/ScriptedFileDialogs.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace merlin;
using platform::MsgIcon;
using platform::Notice;
using platform::testing::ScriptedResponder;

namespace {

// Answers the file dialogs in order (nullopt: Cancel); a dialog too many
// or an answer left over fails the test.
class FileAnswer : public platform::testing::ScriptedFileDialogs {
public:
    explicit FileAnswer(std::vector<std::optional<std::string>> answers = {})
        : ScriptedFileDialogs(merlin::testing::FailTest(), std::move(answers))
    {
    }
};

class MerlinDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { state().reset(); }
    void TearDown() override { state().reset(); }
    MerlinDocument document() const
    {
        MerlinDocument doc(definitions.dir.path());
        doc.set().SetTrace(nullptr);
        return doc;
    }
    merlin::testing::DefinitionDir definitions;
};

}  // namespace

TEST_F(MerlinDocumentTest, NewDocumentTakesTheDriveDefinitionOrTheUsersChoice)
{
    state().chosenDefinition = "small_v3.dpf";
    MerlinDocument doc = document();
    {
        FileAnswer never;
        ASSERT_TRUE(doc.CreateNew());
        EXPECT_TRUE(never.requests.empty());
    }
    EXPECT_EQ(state().chosenDefinition, "");
    EXPECT_EQ(doc.set().Count(), 8);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.title().rfind("DevPar", 0), 0u);

    FileAnswer pick({"/elsewhere/small_v4.dpf"});
    MerlinDocument other = document();
    ASSERT_TRUE(other.CreateNew());
    EXPECT_EQ(other.set().DefinitionName(), "small_v4.dpf");
    EXPECT_EQ(pick.requests.at(0).filter, "DPF Files(*.dpf) | *.dpf||");
    EXPECT_NE(other.title(), doc.title());
}

TEST_F(MerlinDocumentTest, EmptyOrDamagedDefinitionsMakeNoDocument)
{
    definitions.dir.write("DeviceData/empty.dpf", "");
    definitions.dir.write("DeviceData/cut.dpf",
                          std::string(merlin::testing::kSmallDefinition).substr(0, 200) + "\n[Groups]\n1,1,0,a,0,0,\n");
    ScriptedResponder messages(merlin::testing::FailTest());
    messages.expect("'empty.dpf'\n holds no parameters !", MsgIcon::Exclamation);
    messages.expect("'cut.dpf'\n is damaged and cannot be used !", MsgIcon::Exclamation);
    messages.expect("'gone.dpf'\n not found !", MsgIcon::Exclamation);
    for (const char* name : {"empty.dpf", "cut.dpf", "gone.dpf"}) {
        FileAnswer pick({std::string("/x/") + name});
        MerlinDocument doc = document();
        EXPECT_FALSE(doc.CreateNew()) << name;
    }
    EXPECT_TRUE(messages.verify());
}

TEST_F(MerlinDocumentTest, ConvertToKeepsEverythingWhenTheNewDefinitionCannotBeUsed)
{
    definitions.dir.write("DeviceData/empty.dpf", "[End]\n");
    MerlinDocument doc = document();
    definitions.load(doc.set());
    doc.set().SetValue(0, 0, 1234);
    doc.set().SetViewFlags(kFilterActive);
    {
        ScriptedResponder messages(merlin::testing::FailTest());
        messages.expect("'empty.dpf'\n holds no parameters !", MsgIcon::Exclamation);
        FileAnswer pick({"empty.dpf"});
        EXPECT_FALSE(doc.ConvertTo());
        EXPECT_TRUE(messages.verify());
    }
    EXPECT_EQ(doc.set().Count(), 8);
    EXPECT_EQ(doc.set().Value(0, 0), 1234);
    EXPECT_FALSE(doc.modified);

    FileAnswer pick({"small_v4.dpf"});
    ASSERT_TRUE(doc.ConvertTo());
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.set().Count(), 3);
    EXPECT_EQ(doc.set().Value(0, 0), 1234);   // same register 40203
    EXPECT_EQ(doc.set().Version(), 4);
    EXPECT_EQ(doc.set().ViewFlags(), kFilterActive);
}

TEST_F(MerlinDocumentTest, SaveAndReopenGiveTheSameValuesAndFailuresLeaveTheOldFile)
{
    MerlinDocument doc = document();
    definitions.load(doc.set());
    doc.set().SetValue(0, 1, 77);
    doc.set().SetSelectionFlags(1, 2, kSelNoUpload);
    doc.modified = true;
    const std::string path = definitions.dir.file("pump.par");
    ASSERT_TRUE(doc.SaveAs(path));
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.title(), "pump.par");
    EXPECT_EQ(std::filesystem::file_size(path), 1000u + 64u * 8u);

    MerlinDocument reopened = document();
    ASSERT_TRUE(reopened.Open(path));
    EXPECT_EQ(reopened.set().Value(0, 1), 77);
    EXPECT_EQ(reopened.set().GetSelectionFlags(1, 2), kSelNoUpload);
    EXPECT_EQ(reopened.title(), "pump.par");

    // A folder that cannot take the file: the message, the old file intact.
    const std::string before = definitions.dir.read("pump.par");
    const std::string blocked = definitions.dir.file("no/such/dir/pump.par");
    ScriptedResponder messages(merlin::testing::FailTest());
    messages.expect("'" + blocked + "'\ncouldn't be saved !", MsgIcon::Exclamation);
    EXPECT_FALSE(reopened.SaveAs(blocked));
    EXPECT_EQ(reopened.path(), path);
    EXPECT_EQ(definitions.dir.read("pump.par"), before);
    EXPECT_TRUE(messages.verify());
}

TEST_F(MerlinDocumentTest, ClosingAChangedDocumentAsksAndSavesWhereTheUserSays)
{
    using platform::MsgAnswer;
    MerlinDocument doc = document();
    definitions.load(doc.set());
    const std::string title = doc.title();
    ScriptedResponder messages(merlin::testing::FailTest());

    // Unchanged: nothing is asked.
    EXPECT_TRUE(doc.QueryClose());

    doc.modified = true;
    messages.expect("Save changes to " + title + "?", MsgIcon::Exclamation, MsgAnswer::Cancel);
    EXPECT_FALSE(doc.QueryClose());
    messages.expect("Save changes to " + title + "?", MsgIcon::Exclamation, MsgAnswer::No);
    EXPECT_TRUE(doc.QueryClose());
    EXPECT_TRUE(doc.modified);

    // Yes on a new document: the save dialog proposes "<title>.par" in the
    // parameter folder; cancelling it keeps the document open.
    {
        FileAnswer cancelled({std::nullopt});
        messages.expect("Save changes to " + title + "?", MsgIcon::Exclamation, MsgAnswer::Yes);
        EXPECT_FALSE(doc.QueryClose());
        ASSERT_EQ(cancelled.requests.size(), 1u);
        EXPECT_TRUE(cancelled.requests[0].save);
        EXPECT_EQ(cancelled.requests[0].fileName, title + ".par");
        EXPECT_EQ(cancelled.requests[0].directory, definitions.dir.path() + "/parameter");
        EXPECT_EQ(cancelled.requests[0].filter, kParFilter);
    }
    const std::string path = definitions.dir.file("pump.par");
    {
        FileAnswer named({path});
        messages.expect("Save changes to " + title + "?", MsgIcon::Exclamation, MsgAnswer::Yes);
        EXPECT_TRUE(doc.QueryClose());
    }
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(std::filesystem::exists(path));

    // A stored document saves in place without a dialog; its Save As
    // request starts at its own file.
    doc.modified = true;
    {
        FileAnswer never;
        messages.expect("Save changes to pump.par?", MsgIcon::Exclamation, MsgAnswer::Yes);
        EXPECT_TRUE(doc.QueryClose());
        EXPECT_TRUE(never.requests.empty());
    }
    EXPECT_EQ(doc.SaveRequest().fileName, "pump.par");
    EXPECT_EQ(doc.SaveRequest().directory, definitions.dir.path());
    EXPECT_TRUE(messages.verify());
}

TEST_F(MerlinDocumentTest, AParameterFileOverADamagedDefinitionIsNotOpened)
{
    MerlinDocument doc = document();
    definitions.load(doc.set());
    const std::string path = definitions.dir.file("pump.par");
    ASSERT_TRUE(doc.SaveAs(path));
    // The definition it names has since lost its end.
    definitions.dir.write("DeviceData/small_v3.dpf", "[Strings]\n1,Motor\n\n[Groups]\n1,1,0,a,0,0,\n");
    ScriptedResponder messages(merlin::testing::FailTest());
    messages.expect("'small_v3.dpf'\n is damaged and cannot be used !", MsgIcon::Exclamation);
    MerlinDocument reopened = document();
    EXPECT_FALSE(reopened.Open(path));
    EXPECT_TRUE(messages.verify());
}

TEST_F(MerlinDocumentTest, NetworkDialogChoosesADriveForANewDocumentOrAView)
{
    CDeviceTable table;
    table.setIdentification(5, 8, 1, 3);
    table.setName(5, "Pump");
    table.setPresent(5, true);
    table.setIdentification(9, 6, 0, 2);
    table.setPresent(9, true);

    NetworkDialog fromMenu(table, definitions.dir.path(), 0, false);
    EXPECT_TRUE(fromMenu.Open().empty());
    auto rows = fromMenu.rows();
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0], (std::array<std::string, 4>{"5", "LM3", "Pump", "Normal V3"}));
    EXPECT_EQ(rows[1], (std::array<std::string, 4>{"9", "LT4", "", "Vexal V2"}));

    auto outcome = fromMenu.Ok();
    EXPECT_FALSE(outcome.close);
    EXPECT_EQ(outcome.notices, (std::vector<Notice>{{"No inverter selected.", MsgIcon::Exclamation}}));

    fromMenu.Select(0);
    outcome = fromMenu.Ok();
    EXPECT_TRUE(outcome.close);
    EXPECT_TRUE(outcome.newDocument);
    EXPECT_EQ(state().selectedStation, 5);
    EXPECT_EQ(state().chosenDefinition, "LM3_Normal_V3.dpf");

    state().reset();
    NetworkDialog fromView(table, definitions.dir.path(), 5, true);
    fromView.Select(0);
    outcome = fromView.Ok();
    EXPECT_FALSE(outcome.close);
    EXPECT_EQ(outcome.notices,
              (std::vector<Notice>{{"You are already connected to this device !", MsgIcon::Information}}));
    EXPECT_EQ(fromView.Rename(0, "Fan"),
              (std::vector<Notice>{{"You cannot change the name of an active device !", MsgIcon::Exclamation}}));
    fromView.Select(1);
    outcome = fromView.Ok();
    EXPECT_TRUE(outcome.close);
    EXPECT_FALSE(outcome.newDocument);
    EXPECT_EQ(outcome.station, 9);
    EXPECT_EQ(state().selectedStation, 0);  // the view takes it, not the next document

    // A rename reaches the file at once.
    EXPECT_TRUE(fromView.Rename(1, "Fan").empty());
    CDeviceTable stored;
    ASSERT_TRUE(stored.load(definitions.dir.path()));
    EXPECT_EQ(stored.name(9), "Fan");
    EXPECT_EQ(fromView.rows()[1][2], "Fan");

    CDeviceTable none;
    NetworkDialog empty(none, definitions.dir.path(), 0, false);
    EXPECT_EQ(empty.Open(), (std::vector<Notice>{{"No device is connected to the network !", MsgIcon::Stop}}));
}
