// Upload All and Download All as the windows drive them: the command flow
// around the transfer dialog's model, against simulated drives, including a
// drive that falls silent, a noisy line, STOP and a window closed mid-run.
#include "SioLineFixture.h"

#include <kestrel/core/BulkTransferFlow.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/FaultHistory.h>
#include <kestrel/core/TransferModel.h>
#include <kestrel/core/TransferCommands.h>

namespace kestrel::testing {
namespace {

using platform::MsgIcon;
using Flow = BulkTransferFlow;
using Step = BulkTransferFlow::Step;

class TransferFlowTest : public SioLineFixture {
protected:
    // Drive 1 (1808) with the working file of its online list.
    void prepare(bool onPty = false, const char* drives = "1:1808")
    {
        if (onPty)
            startPty(drives);
        else
            startLine(drives);
        state().currentAddress = "1";
        workPath = MakeWorkingFile(writeDatabase(1808));
        ASSERT_FALSE(workPath.empty());
        state().currentAddress.clear();
    }

    TransferList onlineList(const std::string& address = "1")
    {
        return {workPath, "/tvk/RQ-1808.tvk", address, address.empty() ? "" : "ADDR=0" + address + "\"Mixer\"",
                "LIST  A"};
    }

    void setDrive(uint16_t number, uint16_t value, int address = 1)
    {
        bus->withDrive(address, [&](sim::SioDrive& d) { d.setValue(number, value); });
    }

    // Runs the transfer dialog's model as its window does; STOP after
    // stopAfter ticks, a line fault after faultAfter ticks, and every
    // question answered with `answer`.
    int runDialog(Flow& flow, int stopAfter = -1, int faultAfter = -1, const char* fault = nullptr,
                  bool answer = true)
    {
        TransferModel dialog(*telegram, flowMode, flow.job());
        auto st = dialog.Open();
        for (int ticks = 0; st != TransferModel::State::Ended; ++ticks) {
            if (ticks == stopAfter) dialog.Stop();
            if (ticks == faultAfter) bus->addFault(*sim::SioFault::parse(fault));
            if (st == TransferModel::State::Asking) {
                asked.push_back(dialog.question());
                st = dialog.Answer(answer);
            } else {
                st = dialog.Tick();
            }
        }
        endNotices = dialog.notices();
        flow.TransferEnded(dialog.result());
        return dialog.result();
    }

    // Walks the flow to the transfer dialog, answering Yes and choosing set
    // `set` when asked.
    Step walk(Flow& flow, int set = 0)
    {
        for (;;) {
            Step s = flow.Next();
            switch (s.kind) {
            case Step::AskYesNo: questions.push_back(s.notice.text); flow.Answer(true); break;
            case Step::ChooseSet: flow.ChooseSet(set); break;
            case Step::ShowNotice: shown.push_back(s.notice); break;
            default: return s;
            }
        }
    }

    // A parameter the download writes, and a value within its limits that
    // no parameter set of the simulated drive holds from the start.
    static std::pair<uint16_t, uint16_t> writable()
    {
        for (const sim::SioParameter& p : sim::SioCatalogue::forVersion(1808)->records()) {
            const uint16_t v = static_cast<uint16_t>(p.defaultValue + 1);
            if (p.number > 0x20 && p.number < 0x100 && p.number % 16 != 0 && (p.attribute & 0x0F00) == 0 && p.inRange(v))
                return {p.number, v};
        }
        return {0, 0};
    }

    std::string workPath;
    TransferModel::Mode flowMode = TransferModel::Mode::Upload;
    std::vector<std::string> questions;
    std::vector<std::string> asked;
    std::vector<platform::Notice> shown;
    std::vector<platform::Notice> endNotices;
};

TEST_F(TransferFlowTest, UploadAllAsksThenFillsTheListFromTheDrive)
{
    prepare();
    setDrive(0x0102, 0x0777);
    Flow flow(*telegram, onlineList(), Flow::Direction::Upload);
    ASSERT_EQ(walk(flow).kind, Step::RunTransfer);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find("from device ADDR=01\"Mixer\""), std::string::npos);
    EXPECT_NE(questions[0].find("into LIST  A"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(uploadBackupPath()));
    EXPECT_EQ(runDialog(flow), CTransfer::Completed);
    EXPECT_TRUE(endNotices.empty());
    EXPECT_EQ(flow.Next().kind, Step::Done);
    EXPECT_TRUE(flow.listChanged());
    EXPECT_EQ(CWorkFile(workPath).findValue(0x0102), 0x0777);
    EXPECT_FALSE(std::filesystem::exists(uploadBackupPath()));
    expectLineFree();
}

// After the keypad-change check the user has agreed twice: the upload runs
// without its own question, with the same safety copy of the list.
TEST_F(TransferFlowTest, ConfirmedUploadRunsWithoutAskingAgain)
{
    prepare();
    setDrive(0x0102, 0x0555);
    Flow flow(*telegram, onlineList(), Flow::Direction::Upload, Flow::Confirmation::Given);
    ASSERT_EQ(walk(flow).kind, Step::RunTransfer);
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(std::filesystem::exists(uploadBackupPath()));
    EXPECT_EQ(runDialog(flow), CTransfer::Completed);
    EXPECT_EQ(flow.Next().kind, Step::Done);
    EXPECT_EQ(CWorkFile(workPath).findValue(0x0102), 0x0555);
    expectLineFree();
}

TEST_F(TransferFlowTest, DeclinedUploadTouchesNothing)
{
    prepare();
    Flow flow(*telegram, onlineList(), Flow::Direction::Upload);
    ASSERT_EQ(flow.Next().kind, Step::AskYesNo);
    flow.Answer(false);
    EXPECT_EQ(flow.Next().kind, Step::Done);
    EXPECT_FALSE(std::filesystem::exists(uploadBackupPath()));
}

// The drive stops answering half-way on a real (pseudo) terminal: the user
// hears why, the list keeps every value it had, and the line is free for
// the next operation.
TEST_F(TransferFlowTest, DriveFallingSilentMidUploadRestoresTheList)
{
    prepare(true);
    setDrive(0x0102, 0x0777);
    const std::string before = readFile(workPath);
    Flow flow(*telegram, onlineList(), Flow::Direction::Upload);
    ASSERT_EQ(walk(flow).kind, Step::RunTransfer);
    EXPECT_EQ(runDialog(flow, -1, 20, "silent"), CTransfer::Stopped);
    ASSERT_EQ(endNotices.size(), 1u);
    EXPECT_EQ(endNotices[0].text, CFullUpload::kUploadErrorText);
    EXPECT_EQ(flow.Next().kind, Step::Done);
    EXPECT_EQ(readFile(workPath), before);
    EXPECT_FALSE(std::filesystem::exists(uploadBackupPath()));
    expectLineFree();
    bus->clearFaults();
    state().currentAddress = "1";
    ASSERT_TRUE(telegram->OpenPort(false));
    EXPECT_TRUE(telegram->ReadParameter("0102"));
    telegram->ClosePort(false);
}

TEST_F(TransferFlowTest, DriveFallingSilentMidDownloadAsksAndLeavesTheListWhole)
{
    prepare(true);
    CWorkFile(workPath).writeValue(0x0102, 0x0321);
    const std::string before = readFile(workPath);
    flowMode = TransferModel::Mode::Download;
    Flow flow(*telegram, onlineList(), Flow::Direction::Download);
    ASSERT_EQ(walk(flow).kind, Step::RunTransfer);
    EXPECT_NE(questions.at(0).find("into the device - ADDR=01\"Mixer\""), std::string::npos);
    EXPECT_EQ(runDialog(flow, -1, 25, "silent", false), CTransfer::Stopped);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind("There was error downloading value of parameter ", 0), 0u);
    ASSERT_EQ(endNotices.size(), 1u);
    EXPECT_EQ(endNotices[0].text, "Download was not successful.");
    EXPECT_EQ(readFile(workPath), before);
    expectLineFree();
}

TEST_F(TransferFlowTest, NoiseAndBadChecksumsAreRecoveredByRepeats)
{
    prepare();
    for (uint16_t n : {0x0101, 0x0102, 0x0103})
        setDrive(n, static_cast<uint16_t>(n + 0x100));
    bus->addFault(*sim::SioFault::parse("noise:2"));
    Flow flow(*telegram, onlineList(), Flow::Direction::Upload);
    ASSERT_EQ(walk(flow).kind, Step::RunTransfer);
    EXPECT_EQ(runDialog(flow, -1, 30, "badbcc:2"), CTransfer::Completed);
    for (uint16_t n : {0x0101, 0x0102, 0x0103})
        EXPECT_EQ(CWorkFile(workPath).findValue(n), n + 0x100);
    EXPECT_TRUE(endNotices.empty());
}

TEST_F(TransferFlowTest, StopKeepsWhatWasReadSoFar)
{
    prepare();
    setDrive(0x0001, 0x0042);
    Flow flow(*telegram, onlineList(), Flow::Direction::Upload);
    ASSERT_EQ(walk(flow).kind, Step::RunTransfer);
    EXPECT_EQ(runDialog(flow, 5), CTransfer::Aborted);
    ASSERT_EQ(endNotices.size(), 1u);
    EXPECT_EQ(endNotices[0].text, "Progress was aborted by the user !");
    EXPECT_EQ(CWorkFile(workPath).findValue(0x0001), 0x0042);
    EXPECT_FALSE(std::filesystem::exists(uploadBackupPath()));
    expectLineFree();
}

// The window goes (or the program quits) with the transfer under way.
TEST_F(TransferFlowTest, ClosingMidUploadRestoresTheListAndFreesTheLine)
{
    prepare();
    setDrive(0x0102, 0x0777);
    const std::string before = readFile(workPath);
    {
        Flow flow(*telegram, onlineList(), Flow::Direction::Upload);
        ASSERT_EQ(walk(flow).kind, Step::RunTransfer);
        TransferModel dialog(*telegram, TransferModel::Mode::Upload, flow.job());
        ASSERT_EQ(dialog.Open(), TransferModel::State::Running);
        for (int i = 0; i < 40; ++i)
            dialog.Tick();
        EXPECT_TRUE(state().port.foregroundActive);
    }
    EXPECT_EQ(readFile(workPath), before);
    EXPECT_FALSE(std::filesystem::exists(uploadBackupPath()));
    expectLineFree();
}

TEST_F(TransferFlowTest, DifferentParameterSetIsChosenAndSwitchedBeforeTheDownload)
{
    prepare();
    const auto [number, value] = writable();
    CWorkFile(workPath).writeValue(0x00E9, 2);
    CWorkFile(workPath).writeValue(number, value);
    flowMode = TransferModel::Mode::Download;
    Flow flow(*telegram, onlineList(), Flow::Direction::Download);
    ASSERT_EQ(flow.Next().kind, Step::ChooseSet);
    EXPECT_EQ(flow.setConflictText(), "List Parameter Set - 2\nDevice Parameter Set - 1");
    EXPECT_EQ(flow.listSet(), 2);
    flow.ChooseSet(2);
    ASSERT_EQ(flow.Next().kind, Step::AskYesNo);
    flow.Answer(true);
    const Step change = flow.Next();
    ASSERT_EQ(change.kind, Step::ShowNotice);
    EXPECT_EQ(change.notice, parameterSetChangeNotice(2));
    EXPECT_EQ(flow.Next().kind, Step::WarmUp);
    bus->withDrive(1, [](sim::SioDrive& d) { EXPECT_EQ(d.parameterSet(), 2); });
    ASSERT_EQ(flow.Next().kind, Step::RunTransfer);
    EXPECT_EQ(runDialog(flow), CTransfer::Completed);
    bus->withDrive(1, [&](sim::SioDrive& d) {
        EXPECT_EQ(d.parameterSet(), 2);
        EXPECT_EQ(d.value(number), value);
    });
    expectLineFree();
}

TEST_F(TransferFlowTest, CancelledSetChoiceAbortsTheDownload)
{
    prepare();
    CWorkFile(workPath).writeValue(0x00E9, 3);
    Flow flow(*telegram, onlineList(), Flow::Direction::Download);
    ASSERT_EQ(flow.Next().kind, Step::ChooseSet);
    flow.ChooseSet(0);
    const Step s = flow.Next();
    EXPECT_EQ(s.kind, Step::ShowNotice);
    EXPECT_EQ(s.notice.text, "Download process aborted.");
    EXPECT_EQ(flow.Next().kind, Step::Done);
    bus->withDrive(1, [](sim::SioDrive& d) { EXPECT_EQ(d.parameterSet(), 1); });
}

// The question offers the drive's three parameter sets: 3 is switched to
// like any other, and anything past 3 aborts the download.
TEST_F(TransferFlowTest, ParameterSetThreeIsSwitchedToAndFourIsRefused)
{
    prepare();
    CWorkFile(workPath).writeValue(0x00E9, 2);
    {
        Flow flow(*telegram, onlineList(), Flow::Direction::Download);
        ASSERT_EQ(flow.Next().kind, Step::ChooseSet);
        flow.ChooseSet(4);
        const Step s = flow.Next();
        ASSERT_EQ(s.kind, Step::ShowNotice);
        EXPECT_EQ(s.notice.text, "Download process aborted.");
        EXPECT_EQ(flow.Next().kind, Step::Done);
        bus->withDrive(1, [](sim::SioDrive& d) { EXPECT_EQ(d.parameterSet(), 1); });
    }
    flowMode = TransferModel::Mode::Download;
    Flow flow(*telegram, onlineList(), Flow::Direction::Download);
    ASSERT_EQ(flow.Next().kind, Step::ChooseSet);
    flow.ChooseSet(3);
    ASSERT_EQ(flow.Next().kind, Step::AskYesNo);
    flow.Answer(true);
    const Step change = flow.Next();
    ASSERT_EQ(change.kind, Step::ShowNotice);
    EXPECT_EQ(change.notice, parameterSetChangeNotice(3));
    EXPECT_EQ(flow.Next().kind, Step::WarmUp);
    bus->withDrive(1, [](sim::SioDrive& d) { EXPECT_EQ(d.parameterSet(), 3); });
    ASSERT_EQ(flow.Next().kind, Step::RunTransfer);
    EXPECT_EQ(runDialog(flow), CTransfer::Completed);
    bus->withDrive(1, [](sim::SioDrive& d) { EXPECT_EQ(d.parameterSet(), 3); });
    expectLineFree();
}

TEST_F(TransferFlowTest, ListFromAFileGoesOnlyToAFreeDriveOfItsVersion)
{
    prepare(false, "1:1808,5:1812,6:1808");
    CWorkFile(workPath).writeValue(0x00E4, 1808);
    struct Case { const char* address; const char* presence; const char* notice; };
    const Case cases[] = {
        {"5", "0", "Version conflict !"},
        {"6", "1", "You are already connected to this inverter !"},
    };
    for (const Case& c : cases) {
        state().windowPresence[static_cast<size_t>(std::atoi(c.address))] = c.presence[0];
        Flow flow(*telegram, onlineList(""), Flow::Direction::Upload);
        ASSERT_EQ(flow.Next().kind, Step::SelectTarget);
        flow.TargetChosen(c.address, "title");
        const Step s = flow.Next();
        EXPECT_EQ(s.kind, Step::ShowNotice) << c.address;
        EXPECT_EQ(s.notice.text, c.notice);
        EXPECT_EQ(flow.Next().kind, Step::Done);
    }
    state().windowPresence[6] = '0';
    Flow flow(*telegram, onlineList(""), Flow::Direction::Upload);
    ASSERT_EQ(flow.Next().kind, Step::SelectTarget);
    flow.TargetChosen("6", "ADDR=06\"Fan\"");
    ASSERT_EQ(walk(flow).kind, Step::RunTransfer);
    EXPECT_NE(questions.back().find("ADDR=06\"Fan\""), std::string::npos);
    EXPECT_EQ(runDialog(flow), CTransfer::Completed);
    EXPECT_EQ(flow.address(), "6");
}

TEST_F(TransferFlowTest, PortLeadingToAnotherDeviceStopsBeforeAnyTelegram)
{
    prepare();
    state().portTestResult = 1;
    const int before = bus->telegrams();
    Flow flow(*telegram, onlineList(), Flow::Direction::Download);
    const Step s = flow.Next();
    EXPECT_EQ(s.kind, Step::ShowNotice);
    EXPECT_EQ(s.notice.text, kOtherDeviceText);
    EXPECT_EQ(flow.Next().kind, Step::Done);
    EXPECT_EQ(bus->telegrams(), before);
}

}  // namespace
}  // namespace kestrel::testing
