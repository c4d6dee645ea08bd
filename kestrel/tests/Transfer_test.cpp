// Upload All and Download All between a working file and a simulated drive.
#include "SioLineFixture.h"

#include <kestrel/core/CTransfer.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/TransferCommands.h>

namespace kestrel::testing {
namespace {

using platform::MsgAnswer;
using platform::MsgIcon;

class TransferTest : public SioLineFixture {
protected:
    // Drive 1 (1808), its database and the working file of its online list.
    void SetUp() override
    {
        startLine("1:1808");
        state().currentAddress = "1";
        job.listFile = MakeWorkingFile(writeDatabase(1808));
        job.databaseFileName = state().databaseFileName;
        ASSERT_FALSE(job.listFile.empty());
    }

    TransferOutcome run(int direction, int stopAfter = -1, int faultAfter = -1, const char* fault = nullptr)
    {
        job.direction = static_cast<TransferDirection>(direction);
        CTransfer t(*telegram, job, false);
        return runTransfer(t, stopAfter, faultAfter, fault);
    }

    CWorkFile work() const { return CWorkFile(job.listFile); }
    void setWork(uint16_t number, uint16_t value) { ASSERT_TRUE(work().writeValue(number, value)); }
    void setDrive(uint16_t number, uint16_t value)
    {
        bus->withDrive(1, [&](sim::SioDrive& d) { d.setValue(number, value); });
    }

    TransferJob job;
};

TEST_F(TransferTest, UploadAllReadsEveryValueButTheErrorRegister)
{
    setDrive(0x0042, 0x0777);
    setDrive(0x0152, 0x0011);
    bus->withDrive(1, [](sim::SioDrive& d) { d.write(0x0031, 0x0063); });  // leaves 00AC = 0080
    setWork(0x00AC, 0x1234);
    const auto [r, notices] = run(0);
    EXPECT_EQ(r, CTransfer::Completed);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(work().findValue(0x0042), 0x0777);
    EXPECT_EQ(work().findValue(0x0152), 0x0011);
    EXPECT_EQ(work().findValue(0x00E4), 1808);
    EXPECT_EQ(work().findValue(0x00AC), 0x0000);
    EXPECT_EQ(work().recordCount(), sim::SioCatalogue::forVersion(1808)->records().size());
}

TEST_F(TransferTest, StoppedUploadLeavesTheWorkingFilePartlyUpdated)
{
    setDrive(0x0001, 0x0101);
    setDrive(0x0042, 0x0777);
    const auto [r, notices] = run(0, 3);
    EXPECT_EQ(r, CTransfer::Aborted);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (platform::Notice{"Progress was aborted by the user !", MsgIcon::Information}));
    EXPECT_EQ(work().findValue(0x0001), 0x0101);
    EXPECT_NE(work().findValue(0x0042), 0x0777);
}

TEST_F(TransferTest, FailedUploadIsUndoneFromTemp1)
{
    const std::string before = readFile(job.listFile);
    const std::string path = job.listFile;
    ASSERT_TRUE(BackupWorkingFile(path));
    setDrive(0x0001, 0x0101);
    const auto [r, notices] = run(0, -1, 2, "silent");
    EXPECT_EQ(r, CTransfer::Stopped);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text,
              "There was some error while uploading data.\nCheck the network connections and try again !\n\n"
              "Parameter uploading could not be completed.");
    EXPECT_TRUE(job.valuesLost);
    EXPECT_NE(readFile(path), before);
    ASSERT_TRUE(RestoreWorkingFile(path, job.valuesLost));
    EXPECT_EQ(readFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(uploadBackupPath()));
}

TEST_F(TransferTest, TransfersOfTwoListsKeepToTheirOwnFiles)
{
    TransferJob other = job;
    other.listFile = dir.path() + "/parameter/other.~pa";
    ASSERT_TRUE(std::filesystem::copy_file(job.listFile, other.listFile));
    ASSERT_TRUE(CWorkFile(other.listFile).writeValue(0x0032, 0x0001));
    other.direction = TransferDirection::Download;
    const std::string otherBefore = readFile(other.listFile);
    setDrive(0x0032, 0x0000);
    setDrive(0x0042, 0x0777);
    // Both made before either runs, as two windows would.
    CTransfer upload(*telegram, job, false);
    CTransfer download(*telegram, other, false);
    EXPECT_EQ(runTransfer(upload).result, CTransfer::Completed);
    EXPECT_EQ(work().findValue(0x0042), 0x0777);
    EXPECT_EQ(readFile(other.listFile), otherBefore);
    EXPECT_EQ(runTransfer(download).result, CTransfer::Completed);
    EXPECT_EQ(driveValue(1, 0x0032), 0x0001);
    EXPECT_EQ(work().findValue(0x0032), 0x0000);
}

TEST_F(TransferTest, DownloadWritesOnlyWhatMayBeWritten)
{
    const auto* cat = sim::SioCatalogue::forVersion(1808);
    // Change every value in the list by one where the limits allow it.
    for (const sim::SioParameter& p : cat->records()) {
        const uint16_t v = static_cast<uint16_t>(p.defaultValue + 1);
        if (p.inRange(v)) setWork(p.number, v);
    }
    setWork(0x00AD, 0x0080);   // the control word would start the drive
    setWork(0x00E9, 0x0003);   // the parameter set is switched by its own step
    setWork(0x0087, 0x0000);   // no service access code: service parameters stay
    const auto [r, notices] = run(1);
    EXPECT_EQ(r, CTransfer::Completed);
    EXPECT_TRUE(notices.empty());
    bool running = true;
    bus->withDrive(1, [&](sim::SioDrive& d) { running = d.running(); });
    EXPECT_FALSE(running);
    EXPECT_EQ(driveValue(1, 0x00E9), 1);
    int written = 0;
    for (const sim::SioParameter& p : cat->records()) {
        const uint16_t n = p.number;
        const uint16_t a = p.attribute;
        const bool never = (n >= 0xA8 && n <= 0xAD) || n == 0xE9 || n == 0xEA || n % 16 == 0 || (a & 0x0800)
                           || (a & 0x0400) || (a & 0x0100);
        const uint16_t expected = never ? static_cast<uint16_t>(p.defaultValue) : *work().findValue(n);
        // The drive keeps these itself (version, status, power, error register).
        if (n == 0x0087 || n == 0x00E4 || n == 0x00E8 || n == 0x00F1 || n == 0x00AC) continue;
        EXPECT_EQ(driveValue(1, n), expected) << std::hex << n;
        written += never ? 0 : 1;
    }
    EXPECT_GT(written, 100);
}

TEST_F(TransferTest, ServiceAccessCodeLetsServiceParametersThrough)
{
    setWork(0x0087, 0x00C9);
    const uint16_t service = 0x0101;  // group 0x10, a service parameter
    ASSERT_TRUE(sim::SioCatalogue::forVersion(1808)->find(service)->attribute & 0x0100);
    setWork(service, 0x0007);
    EXPECT_EQ(run(1).result, CTransfer::Completed);
    EXPECT_EQ(driveValue(1, service), 0x0007);
}

TEST_F(TransferTest, RunningDriveRefusesTheDownload)
{
    bus->withDrive(1, [](sim::SioDrive& d) { d.write(0x00AD, 0x0040); });
    const auto [r, notices] = run(1);
    EXPECT_EQ(r, CTransfer::Stopped);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "The software requires the selected device to be idle for uploading databank.");
    EXPECT_FALSE(state().operationInProgress);
}

TEST_F(TransferTest, RefusedValueAsksWhetherToGoOn)
{
    state().settings.repeat = 1;
    setWork(0x0031, 0x0063);  // out of range
    setWork(0x0032, 0x0001);
    messages.expect("There was error downloading value of parameter 0031. Do you want to continue ?",
                    MsgIcon::Question, MsgAnswer::Yes);
    EXPECT_EQ(run(1).result, CTransfer::Completed);
    EXPECT_EQ(driveValue(1, 0x0032), 0x0001);

    messages.expect("There was error downloading value of parameter 0031. Do you want to continue ?",
                    MsgIcon::Question, MsgAnswer::No);
    const auto [r, notices] = run(1);
    EXPECT_EQ(r, CTransfer::Stopped);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "Download was not successful.");
}

TEST_F(TransferTest, SilentDriveAtTheStart)
{
    bus->removeDrive(1);
    const auto [r, notices] = run(0);
    EXPECT_EQ(r, CTransfer::NoAnswer);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (platform::Notice{"Failed to establish connection with the selected device !", MsgIcon::Stop}));
}

TEST_F(TransferTest, LineNeverReadyEndsWithTheNoConnectionMessage)
{
    state().settings.rtsMode = true;  // nobody on this line reports RTS back
    const auto [r, notices] = run(0);
    EXPECT_EQ(r, CTransfer::NoLine);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (platform::Notice{"Possible loss of power or no connection to the converter !", MsgIcon::Information}));
}

TEST_F(TransferTest, DebugLogMarksStartAndEnd)
{
    const std::string log = dir.file("Receive.txt");
    ASSERT_TRUE(state().log.open(log));
    state().settings.debug = true;
    EXPECT_EQ(run(1, 2).result, CTransfer::Aborted);
    EXPECT_EQ(run(0).result, CTransfer::Completed);
    state().log.close();
    const std::string text = readFile(log);
    EXPECT_NE(text.find("\r\nDOWNLOAD ALL - START\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nLOADING STOPPED\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nUPLOAD ALL - START\r\n"), std::string::npos);
    const size_t end = text.find("\r\nUPLOAD ALL - END     Upload time= ");
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(end + 2, text.find("\r\n", end + 2) - end - 2);
    EXPECT_EQ(line.substr(line.size() - 4), " sec") << line;
}

TEST_F(TransferTest, ParameterSetConflictSwitchesTheDriveFirst)
{
    setWork(0x00E9, 0x0002);
    const DownloadTarget t = CheckDownloadTarget(*telegram, job.listFile);
    ASSERT_TRUE(t.ok);
    EXPECT_TRUE(t.conflict());
    EXPECT_EQ(parameterSetConflictText(t.listSet, t.deviceSet), "List Parameter Set - 2\nDevice Parameter Set - 1");
    EXPECT_FALSE(SwitchParameterSet(*telegram, 2));
    EXPECT_EQ(driveValue(1, 0x00E9), 2);
    bus->withDrive(1, [](sim::SioDrive& d) { d.write(0x00AD, 0x0080); });
    const auto refused = SwitchParameterSet(*telegram, 3);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, "Failed to change the parameter set value.\nDownload process will be aborted.");
    const DownloadTarget running = CheckDownloadTarget(*telegram, job.listFile);
    EXPECT_FALSE(running.ok);
    EXPECT_EQ(running.notice->text,
              "The software requires the selected device to be in STOP condition for downloading databank");
}

TEST_F(TransferTest, FileListGoesOnlyToADriveOfItsVersion)
{
    EXPECT_FALSE(CheckListVersion(*telegram, job.listFile, ListTarget::Upload));
    bus->removeDrive(1);
    bus->addDrive({1, 1812});
    EXPECT_EQ(CheckListVersion(*telegram, job.listFile, ListTarget::Upload)->text, "Version conflict !");
    EXPECT_EQ(CheckListVersion(*telegram, job.listFile, ListTarget::Download)->text, "Version Conflict !");
}

}  // namespace
}  // namespace kestrel::testing
