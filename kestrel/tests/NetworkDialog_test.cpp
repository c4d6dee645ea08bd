// Check Network, the network dialog and Connect as their windows drive
// them, against simulated drives.
#include "SioLineFixture.h"

#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/ExaminationModel.h>
#include <kestrel/core/NetworkDialogModel.h>
#include <kestrel/core/TransferModel.h>

namespace kestrel::testing {
namespace {

using platform::MsgAnswer;
using platform::MsgIcon;
using Dialog = NetworkDialogModel;

class NetworkDialogTest : public SioLineFixture {
protected:
    // Runs the examination dialog to its end; returns the ticks it took.
    int examine(ExaminationModel& exam)
    {
        int ticks = 0;
        auto st = exam.Start();
        while (st == ExaminationModel::State::Running) {
            st = exam.Tick();
            ++ticks;
            EXPECT_LE(exam.view().progress, 31);
        }
        return ticks;
    }

    // The drives answered an examination; the dialog lists them.
    std::unique_ptr<Dialog> examinedDialog(const char* drives, bool selectionMode = false)
    {
        startLine(drives);
        {
            ExaminationModel exam(*telegram);
            examine(exam);
        }
        auto dlg = std::make_unique<Dialog>(*telegram, "Acme", "RHX", selectionMode);
        dlg->Load();
        return dlg;
    }

    int runTransfer(TransferModel::Mode mode, TransferJob& job, std::vector<platform::Notice>* notices = nullptr)
    {
        TransferModel t(*telegram, mode, job);
        auto st = t.Open();
        panes.clear();
        panes.push_back(t.view().statusPane);
        while (st == TransferModel::State::Running) {
            st = t.Tick();
            if (t.view().statusPane != panes.back()) panes.push_back(t.view().statusPane);
        }
        if (notices)
            *notices = t.notices();
        return t.result();
    }
    // Pane 0 of the status bar as the transfer dialog set it, changes only.
    std::vector<std::string> panes;
};

TEST_F(NetworkDialogTest, CheckNetworkListsTheDrivesThatAnswered)
{
    startLine("1:1812,7:1808");
    ExaminationModel exam(*telegram);
    EXPECT_EQ(examine(exam), 33);  // one address per tick, the last tick ends it
    EXPECT_EQ(exam.view().progress, 31);
    EXPECT_EQ(exam.view().statusPane, "Ready");
    EXPECT_TRUE(exam.notices().empty());
    EXPECT_TRUE(exam.openNetworkDialog());
    expectLineFree();

    Dialog dlg(*telegram, "Acme", "RHX", false);
    dlg.Load();
    const auto& v = dlg.view();
    EXPECT_EQ(v.title, "Acme Network");
    ASSERT_EQ(v.rows.size(), 2u);
    const std::string power = CDeviceTable::ratedPowerText(driveValue(7, 0x00F1));
    EXPECT_EQ(v.rows[1].cells, (std::array<std::string, 4>{"7", "RHX", "NEW", power}));
    EXPECT_EQ(v.selected, 0);
    EXPECT_EQ(v.rows[0].background, Dialog::kHighlight);
    EXPECT_EQ(v.nameEdit, "NEW");
    EXPECT_TRUE(v.changeNameEnabled);
    dlg.Select(1);
    EXPECT_EQ(v.rows[0].background, Dialog::kWhite);
    EXPECT_EQ(v.rows[1].background, Dialog::kHighlight);
    dlg.Select(5);  // below the last drive
    EXPECT_EQ(v.selected, -1);
    EXPECT_FALSE(v.nameEditEnabled || v.changeNameEnabled || v.cancelEnabled);
}

TEST_F(NetworkDialogTest, EmptyNetworkSaysSoAndOpensNoDialog)
{
    startLine("1:1808");
    bus->addFault(*sim::SioFault::parse("silent"));
    ExaminationModel exam(*telegram);
    examine(exam);
    ASSERT_EQ(exam.notices().size(), 1u);
    EXPECT_EQ(exam.notices()[0], ExaminationModel::noDeviceNotice());
    EXPECT_FALSE(exam.openNetworkDialog());
    // The same inside the dialog: the grid empties and stays empty.
    Dialog dlg(*telegram, "Acme", "RHX");
    EXPECT_EQ(dlg.AfterCheckNetwork(exam.result()), ExaminationModel::noDeviceNotice());
    EXPECT_TRUE(dlg.view().rows.empty());
}

TEST_F(NetworkDialogTest, DialogClosedMidExaminationStillWritesTheTableAndFreesTheLine)
{
    startLine("1:1808,20:1808");
    {
        ExaminationModel exam(*telegram);
        exam.Start();
        for (int i = 0; i < 3; ++i)
            exam.Tick();
    }
    expectLineFree();
    CDeviceTable t;
    ASSERT_TRUE(t.load(CDeviceTable::defaultPath()));
    EXPECT_TRUE(t.present(1));
    EXPECT_FALSE(t.present(20));
}

TEST_F(NetworkDialogTest, RenamesSurviveExaminationsAndAreRefusedForAnActiveDrive)
{
    auto dialog = examinedDialog("1:1808,7:1812");
    Dialog& dlg = *dialog;
    dlg.Select(1);
    dlg.EditName(std::string(30, 'P') + "Q");
    EXPECT_FALSE(dlg.view().connectDefault);
    EXPECT_EQ(dlg.ChangeName(), std::nullopt);
    EXPECT_TRUE(dlg.view().connectDefault);
    EXPECT_EQ(dlg.view().rows[1].cells[2], std::string(30, 'P'));

    state().windowPresence[1] = '1';
    dlg.Select(0);
    dlg.EditName("Other");
    const auto refusal = dlg.ChangeName();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "You cannot change the name of an active device !");
    EXPECT_EQ(dlg.view().nameEdit, "NEW");
    EXPECT_EQ(dlg.view().rows[0].cells[2], "NEW");

    dlg.Select(1);
    dlg.EditName("Typo");
    dlg.Cancel();
    EXPECT_EQ(dlg.view().rows[1].cells[2], std::string(30, 'P'));

    ExaminationModel again(*telegram);
    examine(again);
    Dialog next(*telegram, "Acme", "RHX");
    next.Load();
    EXPECT_EQ(next.view().rows[1].cells[2], std::string(30, 'P'));
    EXPECT_EQ(next.view().rows[0].cells[2], "NEW");
}

// Connect to a drive whose version has no database yet: the databank
// question, the database upload, then the online list from it.
// A list window ('1'), a keypad ('2') or a keypad beside nothing else ('3')
// works under the drive's name: the rename is refused, and neither the
// grid, the name edit nor the device table shows the refused name.
TEST_F(NetworkDialogTest, RenameIsRefusedWhileAnyWindowHasTheDrive)
{
    auto dialog = examinedDialog("1:1808,7:1812");
    Dialog& dlg = *dialog;
    CDeviceTable stored;
    ASSERT_TRUE(stored.load(CDeviceTable::defaultPath()));
    const std::string name = stored.name(7);
    for (const char presence : {'1', '2', '3'}) {
        state().windowPresence[7] = presence;
        dlg.Select(1);
        dlg.EditName("Refused");
        const auto refusal = dlg.ChangeName();
        ASSERT_TRUE(refusal) << presence;
        EXPECT_EQ(*refusal, (platform::Notice{"You cannot change the name of an active device !", MsgIcon::Exclamation}));
        EXPECT_EQ(dlg.view().nameEdit, "NEW") << presence;
        EXPECT_EQ(dlg.view().rows[1].cells[2], "NEW") << presence;
        EXPECT_TRUE(dlg.view().connectDefault) << presence;
        ASSERT_TRUE(stored.load(CDeviceTable::defaultPath()));
        EXPECT_EQ(stored.name(7), name) << presence;
    }
    state().windowPresence[7] = '0';
    dlg.EditName("Pump");
    EXPECT_EQ(dlg.ChangeName(), std::nullopt);
    EXPECT_EQ(dlg.view().rows[1].cells[2], "Pump");
    ASSERT_TRUE(stored.load(CDeviceTable::defaultPath()));
    EXPECT_EQ(stored.name(7), "Pump");
}

TEST_F(NetworkDialogTest, ConnectUploadsTheMissingDatabaseThenOpensTheList)
{
    auto dialog = examinedDialog("3:1812");
    Dialog& dlg = *dialog;
    messages.expect(kDatabankQuestion, MsgIcon::Question, MsgAnswer::Yes);
    auto r = dlg.Connect(false);
    EXPECT_EQ(r.next, ConnectPlan::UploadDatabase);
    EXPECT_TRUE(r.closeDialog);
    EXPECT_EQ(state().databaseFileName, "/tvk/RQ-1812.tvk");
    EXPECT_EQ(r.job.databaseFileName, "/tvk/RQ-1812.tvk");
    std::vector<platform::Notice> notices;
    EXPECT_EQ(runTransfer(TransferModel::Mode::Database, r.job, &notices), CTransfer::Completed);
    EXPECT_EQ(panes, (std::vector<std::string>{"Uploading full database...", "Ready"}));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "Information successfully uploaded");
    const ConnectPlan list = ListAfterDatabaseUpload();
    EXPECT_EQ(list.next, ConnectPlan::OpenList);
    const size_t records = sim::SioCatalogue::forVersion(1812)->records().size();
    EXPECT_EQ(CWorkFile(list.job.listFile).recordCount(), records);
    expectLineFree();

    // With the database complete, Connect fills the list from the drive and
    // Quick Connect from the database.
    bus->withDrive(3, [](sim::SioDrive& d) { d.setValue(0x0031, 0x0004); });
    r = dlg.Connect(false);
    EXPECT_EQ(r.next, ConnectPlan::UploadValues);
    EXPECT_EQ(runTransfer(TransferModel::Mode::Upload, r.job), CTransfer::Completed);
    EXPECT_EQ(CWorkFile(r.job.listFile).findValue(0x0031), 0x0004);
    r = dlg.Connect(true);
    EXPECT_EQ(r.next, ConnectPlan::OpenList);
    EXPECT_NE(CWorkFile(r.job.listFile).findValue(0x0031), 0x0004);
}

TEST_F(NetworkDialogTest, StoppedDatabaseUploadLeavesAnIncompleteDatabase)
{
    auto dialog = examinedDialog("3:1812");
    Dialog& dlg = *dialog;
    messages.expect(kDatabankQuestion, MsgIcon::Question, MsgAnswer::Yes);
    auto r = dlg.Connect(false);
    ASSERT_EQ(r.next, ConnectPlan::UploadDatabase);
    {
        TransferModel t(*telegram, TransferModel::Mode::Database, r.job);
        ASSERT_EQ(t.Open(), TransferModel::State::Running);
        t.Tick();
        t.Stop();
        EXPECT_EQ(t.Tick(), TransferModel::State::Ended);
        EXPECT_EQ(t.notices().at(0).text, "Progress was aborted by the user !");
    }
    expectLineFree();
    messages.expect(kDatabankQuestion, MsgIcon::Question, MsgAnswer::No);
    EXPECT_EQ(dlg.Connect(false).next, ConnectPlan::Declined);
}

TEST_F(NetworkDialogTest, SelectionModeChecksTheDriveAnswers)
{
    auto dialog = examinedDialog("1:1808,2:1808", true);
    Dialog& dlg = *dialog;
    dlg.Select(1);
    auto r = dlg.Connect(false);
    EXPECT_TRUE(r.closeDialog);
    EXPECT_EQ(r.address, "2");
    EXPECT_EQ(state().deviceTitle, "ADDR=02\"NEW\"");

    bus->addFault(*sim::SioFault::parse("silent@1"));
    dlg.Select(0);
    r = dlg.Connect(false);
    EXPECT_FALSE(r.closeDialog);
    ASSERT_TRUE(r.notice);
    EXPECT_EQ(r.notice->text, "Unable to establish connection with the selected device !");
    EXPECT_EQ(state().currentAddress, "");
    expectLineFree();
    dlg.Close();
}

}  // namespace
}  // namespace kestrel::testing
