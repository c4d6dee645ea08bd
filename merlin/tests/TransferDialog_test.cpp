#include <merlin/testing/CFakeLink.h>
#include <merlin/core/TransferDialog.h>

#include "ParamFixture.h"

#include <gtest/gtest.h>

using namespace merlin;
using Step = TransferDialog::Step;

namespace {

constexpr int kTransferStation = 2;

using merlin::testing::testParam;

struct MerlinTransferDialog : ::testing::Test {
    MerlinTransferDialog()
    {
        link.OpenLink();
        link.addStation(kTransferStation);
        set.AddParameter(testParam("Password", 298, 0), 0);
        for (int k = 0; k < 14; ++k) {
            set.AddParameter(testParam("P" + std::to_string(k), 10 + k, 100 + k), 0);
            link.setRegister(kTransferStation, 10 + k, static_cast<uint16_t>(500 + k));
        }
        link.setRegister(kTransferStation, 298, 0);
    }
    // Ticks the dialog until it asks or ends, as its timer does.
    Step run(TransferDialog& dialog, uint32_t& now)
    {
        Step step;
        int ticks = 0;
        while ((step = dialog.Tick(now += 2)) == Step::Continue)
            if (++ticks > 10000)
                break;
        return step;
    }
    // A drive that refuses every write until its password register holds 4711.
    void lockDrive()
    {
        link.setWriteHook([this](int, int offset, uint16_t value) {
            if (offset == 298) {
                unlocked = value == 4711;
                return value == 4711 || value == 0 ? kLinkOk : kLinkWriteRefused;
            }
            return unlocked ? kLinkOk : kLinkWriteRefused;
        });
    }

    CFakeLink link;
    CParSet set;
    bool unlocked = false;
};

}  // namespace

TEST_F(MerlinTransferDialog, UploadShowsProgressAndFillsTheSet)
{
    TransferDialog dialog(TransferDirection::Upload, link, kTransferStation, set);
    EXPECT_EQ(dialog.view().title, "Uploading from device 2 ...");
    uint32_t now = 1000;
    dialog.Start(now);
    EXPECT_EQ(dialog.view().barMaximum, 15);
    ASSERT_EQ(dialog.Tick(now), Step::Continue);
    EXPECT_EQ(dialog.view().progress, "   1 / 15");
    EXPECT_EQ(dialog.view().barValue, 1);
    now = 4500;
    ASSERT_EQ(dialog.Tick(now), Step::Continue);
    EXPECT_EQ(dialog.view().elapsed, "3 sec");
    EXPECT_EQ(run(dialog, now), Step::Done);
    EXPECT_TRUE(dialog.completed());
    EXPECT_TRUE(dialog.documentChanged());
    EXPECT_TRUE(dialog.Finish().empty());
    EXPECT_EQ(set.ValueAt(5), 504);
    EXPECT_TRUE(dialog.failureRows().empty());
}

TEST_F(MerlinTransferDialog, FailedParametersAreListedAndCounted)
{
    link.setReadResult(kTransferStation, 12, kLinkTimeout);
    link.setReadResult(kTransferStation, 15, linkException(2));
    TransferDialog dialog(TransferDirection::Upload, link, kTransferStation, set);
    uint32_t now = 0;
    dialog.Start(now);
    ASSERT_EQ(run(dialog, now), Step::Done);
    EXPECT_TRUE(dialog.completed());
    EXPECT_EQ(dialog.view().errors, "2");
    const std::vector<TransferDialog::FailureRow> expected{{"12  P2", "0201  no answer"},
                                                           {"15  P5", "8202  refused (exception 2)"}};
    EXPECT_EQ(dialog.failureRows(), expected);
    // The failed parameters keep the values they had.
    EXPECT_EQ(set.ValueAt(3), 102);
}

TEST_F(MerlinTransferDialog, UnchangedValuesLeaveTheDocumentUnchanged)
{
    for (int k = 0; k < 14; ++k)
        link.setRegister(kTransferStation, 10 + k, static_cast<uint16_t>(100 + k));
    TransferDialog dialog(TransferDirection::Upload, link, kTransferStation, set);
    uint32_t now = 0;
    dialog.Start(now);
    ASSERT_EQ(run(dialog, now), Step::Done);
    EXPECT_FALSE(dialog.documentChanged());
}

TEST_F(MerlinTransferDialog, StopEndsAtTheNextTickWithTheAbortMessage)
{
    std::vector<std::string> log;
    TransferDialog dialog(TransferDirection::Upload, link, kTransferStation, set,
                          [&log](const std::string& line) { log.push_back(line); });
    uint32_t now = 0;
    dialog.Start(now);
    dialog.Tick(now);
    dialog.Tick(now);
    dialog.Stop();
    const size_t exchanges = link.calls().size();
    ASSERT_EQ(dialog.Tick(now), Step::Done);
    EXPECT_EQ(link.calls().size(), exchanges);
    EXPECT_EQ(dialog.endCode(), kEndAborted);
    EXPECT_FALSE(dialog.completed());
    EXPECT_EQ(dialog.Finish(), (std::vector<platform::Notice>{
                                   {"Progress was aborted by the user !", platform::MsgIcon::Information}}));
    EXPECT_EQ(log, (std::vector<std::string>{"UPLOAD ALL - START", "LOADING STOPPED"}));
    // A closed dialog ticks no more.
    EXPECT_EQ(dialog.Tick(now), Step::Done);
    EXPECT_EQ(link.calls().size(), exchanges);
}

TEST_F(MerlinTransferDialog, EveryTickMakesAtMostOneExchange)
{
    lockDrive();
    TransferDialog dialog(TransferDirection::Download, link, kTransferStation, set);
    uint32_t now = 0;
    dialog.Start(now);
    size_t before = link.calls().size();
    for (int k = 0; k < 30 && dialog.Tick(now) == Step::Continue; ++k) {
        EXPECT_LE(link.calls().size(), before + 1);
        before = link.calls().size();
    }
}

TEST_F(MerlinTransferDialog, LockedDriveAsksForThePasswordAndTheRightOneUnlocks)
{
    lockDrive();
    link.setRegister(kTransferStation, 298, 1);
    TransferDialog dialog(TransferDirection::Download, link, kTransferStation, set);
    EXPECT_EQ(dialog.view().title, "Downloading to device 2 ...");
    uint32_t now = 0;
    dialog.Start(now);
    ASSERT_EQ(run(dialog, now), Step::AskPassword);
    EXPECT_EQ(dialog.view().errors, "11");
    dialog.AnswerPassword(TransferDialog::parsePassword("4711"), now);
    EXPECT_TRUE(dialog.view().errors.empty());
    ASSERT_EQ(run(dialog, now), Step::Done);
    EXPECT_TRUE(dialog.completed());
    EXPECT_TRUE(dialog.failureRows().empty());
    EXPECT_EQ(link.registerValue(kTransferStation, 23), 113);
    EXPECT_EQ(link.registerValue(kTransferStation, 298), 4711);
}

TEST_F(MerlinTransferDialog, CancelledPasswordEndsAsAborted)
{
    lockDrive();
    TransferDialog dialog(TransferDirection::Download, link, kTransferStation, set);
    uint32_t now = 0;
    dialog.Start(now);
    ASSERT_EQ(run(dialog, now), Step::AskPassword);
    dialog.AnswerPassword(std::nullopt, now);
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.Tick(now), Step::Done);
    EXPECT_EQ(dialog.Finish().at(0).text, "Progress was aborted by the user !");
    EXPECT_EQ(dialog.failureRows().size(), 11u);
}

TEST_F(MerlinTransferDialog, DriveThatStopsAnsweringEndsWithTheConnectionMessage)
{
    TransferDialog dialog(TransferDirection::Download, link, kTransferStation, set);
    uint32_t now = 0;
    dialog.Start(now);
    dialog.Tick(now);
    link.CloseLink();
    ASSERT_EQ(run(dialog, now), Step::Done);
    EXPECT_EQ(dialog.endCode(), kEndNoDevice);
    EXPECT_EQ(dialog.Finish().at(0).text, "Failed to establish connection with the selected device !");
}

TEST_F(MerlinTransferDialog, DriveThatFallsSilentEndsWithoutWaitingOutEveryParameter)
{
    TransferDialog dialog(TransferDirection::Upload, link, kTransferStation, set);
    uint32_t now = 0;
    dialog.Start(now);
    for (int k = 0; k < 4; ++k)
        ASSERT_EQ(dialog.Tick(now), Step::Continue);
    for (int offset = 14; offset < 24; ++offset)
        link.setReadResult(kTransferStation, offset, kLinkTimeout);
    ASSERT_EQ(run(dialog, now), Step::Done);
    EXPECT_EQ(dialog.endCode(), kEndNoConnection);
    EXPECT_EQ(dialog.failureRows().size(), 3u);
    EXPECT_EQ(dialog.Finish(), (std::vector<platform::Notice>{
                                   {"Possible loss of power or no connection to the converter !",
                                    platform::MsgIcon::Information}}));
}

TEST_F(MerlinTransferDialog, PasswordTextMustBeASixteenBitNumber)
{
    EXPECT_EQ(TransferDialog::parsePassword("4711"), 4711);
    EXPECT_EQ(TransferDialog::parsePassword(" 65535 "), 65535);
    EXPECT_EQ(TransferDialog::parsePassword("0"), 0);
    for (const char* bad : {"", "  ", "65536", "-1", "12a", "0x10", "1 2"})
        EXPECT_EQ(TransferDialog::parsePassword(bad), std::nullopt) << bad;
}

TEST_F(MerlinTransferDialog, ADeadLineEndsTheTransferWhateverTheLineReports)
{
    // A port that cannot send, one that cannot receive, a line that garbles
    // every answer, a busy connection: all are the line, not the drive.
    for (const int failure : {kLinkWriteError, kLinkReadError, kLinkBadResponse, kLinkChecksumError, kLinkBusy}) {
        for (const TransferDirection direction : {TransferDirection::Upload, TransferDirection::Download}) {
            CFakeLink dead;
            dead.OpenLink();
            dead.addStation(kTransferStation);
            for (int offset = 10; offset < 24; ++offset) {
                dead.setReadResult(kTransferStation, offset, failure);
                dead.setWriteResult(kTransferStation, offset, failure);
            }
            TransferDialog dialog(direction, dead, kTransferStation, set);
            uint32_t now = 0;
            dialog.Start(now);
            ASSERT_EQ(run(dialog, now), Step::Done);
            EXPECT_EQ(dialog.endCode(), kEndNoConnection) << failure;
            EXPECT_EQ(dialog.failureRows().size(), static_cast<size_t>(TransferDialog::kSilentBeforeNoConnection));
            EXPECT_EQ(dialog.Finish().at(0).text, "Possible loss of power or no connection to the converter !");
        }
    }
    // The drive's own refusals are answers: the transfer goes on past them.
    CFakeLink refusing;
    refusing.OpenLink();
    refusing.addStation(kTransferStation);
    for (int offset = 10; offset < 24; ++offset)
        refusing.setReadResult(kTransferStation, offset, linkException(2));
    TransferDialog dialog(TransferDirection::Upload, refusing, kTransferStation, set);
    uint32_t now = 0;
    dialog.Start(now);
    ASSERT_EQ(run(dialog, now), Step::Done);
    EXPECT_EQ(dialog.endCode(), kEndDone);
    EXPECT_EQ(dialog.failureRows().size(), 14u);
    EXPECT_FALSE(dialog.everyValueRead());
}

TEST_F(MerlinTransferDialog, AFailureRowSaysWhatItsCodeMeans)
{
    EXPECT_EQ(TransferDialog::errorText(kLinkTimeout), "0201  no answer");
    EXPECT_EQ(TransferDialog::errorText(kLinkWriteError), "0208  cannot send on the port");
    EXPECT_EQ(TransferDialog::errorText(kLinkReadError), "0209  cannot receive from the port");
    EXPECT_EQ(TransferDialog::errorText(kLinkChecksumError), "0203  checksum error");
    EXPECT_EQ(TransferDialog::errorText(kLinkBusy), "020B  line busy");
    EXPECT_EQ(TransferDialog::errorText(linkException(2)), "8202  refused (exception 2)");
    EXPECT_EQ(TransferDialog::errorText(0x0207), "0207  link error");
    EXPECT_EQ(TransferDialog::errorText(kLinkCallFailed), "link server not reachable");
}
