// Closing a list document: the keypad-change query and the close decision.
#include "SioLineFixture.h"

#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/CloseList.h>
#include <kestrel/core/Connect.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/ListMessages.h>

namespace kestrel::testing {
namespace {

using platform::MsgAnswer;
using platform::MsgIcon;

class CloseListTest : public SioLineFixture {
protected:
    void SetUp() override { startLine("6:1808"); }

    // The close-options dialog: remembers what it was shown, answers `choice`.
    CloseOptionsDialog dialog(CloseAction choice)
    {
        return [this, choice](const std::string& message, bool savingEnabled) {
            ++dialogShown;
            dialogMessage = message;
            dialogSaving = savingEnabled;
            return choice;
        };
    }
    ListDocumentState online(bool modified, const std::string& file = {})
    {
        return {"6", file, modified, {}};
    }
    int dialogShown = 0;
    std::string dialogMessage;
    bool dialogSaving = true;
};

TEST_F(CloseListTest, KeypadQueryTellsNothingOneOrSeveral)
{
    state().currentAddress = "6";
    EXPECT_EQ(KeypadChangeQuery(*telegram).result, KeypadQuery::NothingChanged);
    bus->keypadChange(6, 0x0033, 1);
    const KeypadQuery one = KeypadChangeQuery(*telegram);
    EXPECT_EQ(one.result, KeypadQuery::OneChanged);
    EXPECT_EQ(one.changedNumber, "0033");
    bus->keypadChange(6, 0x0033, 2);
    bus->keypadChange(6, 0x0034, 2);
    EXPECT_EQ(KeypadChangeQuery(*telegram).result, KeypadQuery::SeveralChanged);
    state().currentAddress = "7";
    const KeypadQuery none = KeypadChangeQuery(*telegram);
    EXPECT_EQ(none.result, KeypadQuery::NoAnswer);
    EXPECT_EQ(none.notice, (platform::Notice{"Device not responding !", MsgIcon::Stop}));
}

TEST_F(CloseListTest, UnchangedOnlineListClosesAtOnce)
{
    auto doc = online(false);
    const CloseDecision decision = CloseList(*telegram, doc, dialog(CloseAction::Download));
    EXPECT_EQ(decision.action, CloseAction::StoreNothing);
    EXPECT_EQ(dialogShown, 0);
    EXPECT_EQ(decision.message, "");
}

TEST_F(CloseListTest, ModifiedUnsavedListOffersOnlyDownloadOrNothing)
{
    auto doc = online(true);
    EXPECT_EQ(CloseList(*telegram, doc, dialog(CloseAction::Download)).action, CloseAction::Download);
    EXPECT_EQ(dialogShown, 1);
    EXPECT_EQ(dialogMessage, "");
    EXPECT_FALSE(dialogSaving);
    EXPECT_FALSE(doc.modified);
}

TEST_F(CloseListTest, ModifiedSavedListAsksAboutTheFile)
{
    auto doc = online(true, "/tmp/motor.par");
    messages.expect(msg::kSaveQuestion.text, MsgIcon::Question, MsgAnswer::Cancel);
    EXPECT_EQ(CloseList(*telegram, doc, dialog(CloseAction::StoreNothing)).action, CloseAction::Keep);
    EXPECT_TRUE(doc.modified);
    messages.expect(msg::kSaveQuestion.text, MsgIcon::Question, MsgAnswer::Yes);
    EXPECT_EQ(CloseList(*telegram, doc, dialog(CloseAction::StoreNothing)).action, CloseAction::SaveToFile);
    EXPECT_EQ(dialogShown, 0);
}

TEST_F(CloseListTest, KeypadChangesAreNamedInTheDialog)
{
    bus->keypadChange(6, 0x0033, 1);
    auto doc = online(true, "/tmp/motor.par");
    const CloseDecision decision = CloseList(*telegram, doc, dialog(CloseAction::UploadAndSave));
    EXPECT_EQ(decision.action, CloseAction::UploadAndSave);
    EXPECT_EQ(dialogMessage,
              "Value of parameter 0033 was changed from the keypad. Also, values of some parameters were changed in "
              "the list and not downloaded into the connected inverter.");
    EXPECT_TRUE(dialogSaving);
    EXPECT_EQ(doc.changedNumber, "0033");
    EXPECT_EQ(decision.message, dialogMessage);

    bus->keypadChange(6, 0x0033, 2);
    bus->keypadChange(6, 0x0034, 2);
    auto unchanged = online(false);
    EXPECT_EQ(CloseList(*telegram, unchanged, dialog(CloseAction::Keep)).action, CloseAction::Keep);
    EXPECT_EQ(dialogMessage, "Values of some parameters were changed from the keypad");
}

TEST_F(CloseListTest, SilentDriveWarnsThatChangesAreLost)
{
    bus->addFault(*sim::SioFault::parse("silent"));
    auto doc = online(true);
    messages.expect("Device not responding !", MsgIcon::Stop);
    messages.expect("All changes will be lost. Close anyway ?", MsgIcon::Question, MsgAnswer::No);
    EXPECT_EQ(CloseList(*telegram, doc, dialog(CloseAction::StoreNothing)).action, CloseAction::Keep);
    messages.expect("Device not responding !", MsgIcon::Stop);
    auto clean = online(false);
    EXPECT_EQ(CloseList(*telegram, clean, dialog(CloseAction::StoreNothing)).action, CloseAction::StoreNothing);
}

TEST_F(CloseListTest, FileListAsksOnlyWhenModified)
{
    ListDocumentState file{"", "/tmp/motor.par", false, {}};
    EXPECT_EQ(CloseList(*telegram, file, dialog(CloseAction::Download)).action, CloseAction::StoreNothing);
    file.modified = true;
    messages.expect(msg::kSaveQuestion.text, MsgIcon::Question, MsgAnswer::No);
    EXPECT_EQ(CloseList(*telegram, file, dialog(CloseAction::Download)).action, CloseAction::StoreNothing);
    EXPECT_FALSE(file.modified);
    EXPECT_EQ(bus->telegrams(), 0);
}

TEST_F(CloseListTest, SelectionModeNeedsAnAnswerFromTheDrive)
{
    CDeviceTable table;
    table.setName(6, "Press");
    ASSERT_TRUE(table.save(CDeviceTable::defaultPath()));
    const SelectionCheck ok = SelectDevice(*telegram, "6");
    EXPECT_TRUE(ok.selected);
    EXPECT_EQ(state().deviceTitle, "ADDR=06\"Press\"");
    const SelectionCheck none = SelectDevice(*telegram, "8");
    EXPECT_FALSE(none.selected);
    EXPECT_EQ(none.notice->text, "Unable to establish connection with the selected device !");
    EXPECT_EQ(state().currentAddress, "");
    state().operationInProgress = true;
    const int before = bus->telegrams();
    EXPECT_FALSE(SelectDevice(*telegram, "6").selected);
    EXPECT_EQ(bus->telegrams(), before);
}

TEST_F(CloseListTest, ConnectDecidesBetweenListValueUploadAndDatabaseUpload)
{
    EXPECT_EQ(Connect(*telegram, "", false).notice->text, "No inverter selected.");
    state().windowPresence[6] = '2';
    EXPECT_EQ(Connect(*telegram, "6", false).notice->text, "You are already connected to this device !");
    state().windowPresence[6] = '3';  // only a keypad window: connecting is fine

    messages.expect(kDatabankQuestion, MsgIcon::Question, MsgAnswer::No);
    EXPECT_EQ(Connect(*telegram, "6", false).next, ConnectPlan::Declined);
    messages.expect(kDatabankQuestion, MsgIcon::Question, MsgAnswer::Yes);
    EXPECT_EQ(Connect(*telegram, "6", false).next, ConnectPlan::UploadDatabase);
    EXPECT_EQ(ListAfterDatabaseUpload().next, ConnectPlan::Nothing);  // nothing was uploaded

    writeDatabase(1808);
    const ConnectPlan values = Connect(*telegram, "6", false);
    EXPECT_EQ(values.next, ConnectPlan::UploadValues);
    EXPECT_EQ(values.job.listFile, dir.path() + "/parameter/List-6.~pa");
    EXPECT_EQ(values.job.databaseFileName, "/tvk/RQ-1808.tvk");
    EXPECT_EQ(Connect(*telegram, "6", true).next, ConnectPlan::OpenList);
    EXPECT_EQ(ListAfterDatabaseUpload().next, ConnectPlan::OpenList);

    const ConnectPlan silent = Connect(*telegram, "9", false);
    EXPECT_EQ(silent.next, ConnectPlan::StayOpen);
    EXPECT_EQ(silent.notice->text, "Unable to establish connection with the selected device !");
}

}  // namespace
}  // namespace kestrel::testing
