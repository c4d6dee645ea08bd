// Connecting to a drive: the database check, the database upload end to end
// against a simulated drive, and the working file built from the database.
#include "SioLineFixture.h"

#include <kestrel/core/CTransfer.h>
#include <kestrel/core/DeviceConnection.h>

namespace kestrel::testing {
namespace {

using platform::MsgIcon;

class UploadTest : public SioLineFixture {
protected:
    // Runs the transfer dialog in database mode to its end.
    TransferOutcome uploadDatabase(int stopAfter = -1, int faultAfter = -1, const char* fault = nullptr)
    {
        TransferJob job;
        job.databaseFileName = state().databaseFileName;
        CTransfer t(*telegram, job, true);
        return runTransfer(t, stopAfter, faultAfter, fault);
    }
    std::string database() { return state().installPath(state().databaseFileName); }
};

TEST_F(UploadTest, VersionNamesTheDatabaseAndAMissingOneIsOffered)
{
    startLine("1:1808,2:1812");
    state().currentAddress = "2";
    const DatabaseCheck c = CheckDatabase(*telegram);
    EXPECT_EQ(c.result, DatabaseCheck::Missing);
    EXPECT_FALSE(c.notice);
    EXPECT_EQ(state().databaseFileName, "/tvk/RQ-1812.tvk");
    EXPECT_FALSE(state().port.foregroundActive);
}

TEST_F(UploadTest, DatabaseFileStatesDecideTheCheck)
{
    startLine("1:1808");
    state().currentAddress = "1";
    const std::string path = dir.path() + "/tvk/RQ-1808.tvk";
    struct Case { std::string content; int result; bool remains; };
    const Case cases[] = {
        {std::string(48, 'x') + std::string(" END\0", 5), DatabaseCheck::Complete, true},
        {std::string(48, 'x') + " EN", DatabaseCheck::Missing, true},   // upload stopped early
        {"abc", DatabaseCheck::Missing, false},                          // too short: deleted
        {std::string("END\0", 4), DatabaseCheck::Complete, true},
    };
    for (const Case& c : cases) {
        writeFile(path, c.content);
        EXPECT_EQ(CheckDatabase(*telegram).result, c.result) << c.content.size();
        EXPECT_EQ(std::filesystem::exists(path), c.remains);
    }
}

TEST_F(UploadTest, SilentDriveMeansNoConnection)
{
    startLine("1:1808");
    state().currentAddress = "4";
    const DatabaseCheck c = CheckDatabase(*telegram);
    EXPECT_EQ(c.result, DatabaseCheck::NoConnection);
    ASSERT_TRUE(c.notice);
    EXPECT_EQ(c.notice->text, "Unable to establish connection with the selected device !");
    EXPECT_EQ(c.notice->icon, MsgIcon::Stop);
}

TEST_F(UploadTest, WholeDatabaseIsUploadedAndEndsWithTheEndMark)
{
    startLine("1:1808");
    state().currentAddress = "1";
    bus->withDrive(1, [](sim::SioDrive& d) { d.setValue(0x0042, 0x0123); });
    ASSERT_EQ(CheckDatabase(*telegram).result, DatabaseCheck::Missing);
    const auto [r, notices] = uploadDatabase();
    EXPECT_EQ(r, CTransfer::Completed);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (platform::Notice{"Information successfully uploaded", MsgIcon::Exclamation}));
    EXPECT_FALSE(state().operationInProgress);

    const auto& records = sim::SioCatalogue::forVersion(1808)->records();
    const std::string bytes = readFile(database());
    ASSERT_EQ(bytes.size(), records.size() * 48 + 5);
    EXPECT_EQ(bytes.substr(bytes.size() - 5), std::string(" END\0", 5));
    for (size_t i = 0; i < records.size(); ++i) {
        const auto rec = TvkRecord::parse(bytes.substr(i * 48, 48));
        ASSERT_TRUE(rec) << i;
        EXPECT_EQ(rec->number(), records[i].number);
        EXPECT_EQ(rec->attribute(), records[i].attribute);
        EXPECT_EQ(rec->value(), driveValue(1, records[i].number));
    }
    EXPECT_EQ(CheckDatabase(*telegram).result, DatabaseCheck::Complete);

    const std::string work = MakeWorkingFile(database());
    EXPECT_EQ(work, dir.path() + "/parameter/List-1.~pa");
    const std::string lines = readFile(work);
    ASSERT_EQ(lines.size(), records.size() * 10);
    EXPECT_NE(lines.find("00420123\r\n"), std::string::npos);
    EXPECT_EQ(lines.substr(0, 10), "00000000\r\n");
}

// A bad reply in the middle of the upload: the record is asked for again
// with FFFA and the database comes out whole.
class UploadRecoveryTest : public UploadTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UploadRecoveryTest, BadReplyInPlaceOfARecordIsReadAgainNotWritten)
{
    startLine("1:1812");
    state().currentAddress = "1";
    ASSERT_EQ(CheckDatabase(*telegram).result, DatabaseCheck::Missing);
    EXPECT_EQ(uploadDatabase(-1, 3, GetParam()).result, CTransfer::Completed);
    const auto& records = sim::SioCatalogue::forVersion(1812)->records();
    const std::string bytes = readFile(database());
    ASSERT_EQ(bytes.size(), records.size() * 48 + 5);
    for (size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(TvkRecord::parse(bytes.substr(i * 48, 48))->number(), records[i].number);
}

INSTANTIATE_TEST_SUITE_P(Faults, UploadRecoveryTest, ::testing::Values("noise:1", "silent:1", "truncate:1"));

TEST_F(UploadTest, DriveThatFallsSilentLeavesAnIncompleteDatabase)
{
    startLine("1:1808");
    state().settings.repeat = 1;
    state().currentAddress = "1";
    ASSERT_EQ(CheckDatabase(*telegram).result, DatabaseCheck::Missing);
    const auto [r, notices] = uploadDatabase(-1, 5, "silent");
    EXPECT_EQ(r, CTransfer::Stopped);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text,
              "There was some error while uploading data.\nCheck the network connections and try again !\n\n"
              "Parameter uploading could not be completed.");
    EXPECT_EQ(readFile(database()).size(), 6u * 48);
    bus->clearFaults();
    EXPECT_EQ(CheckDatabase(*telegram).result, DatabaseCheck::Missing);
}

TEST_F(UploadTest, RunningDriveIsNotUploaded)
{
    startLine("1:1808");
    state().currentAddress = "1";
    bus->withDrive(1, [](sim::SioDrive& d) { d.write(0x00AD, 0x0080); });
    ASSERT_EQ(CheckDatabase(*telegram).result, DatabaseCheck::Missing);
    const auto [r, notices] = uploadDatabase();
    EXPECT_EQ(r, CTransfer::Stopped);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "The software requires the selected device to be idle for uploading databank.");
    EXPECT_FALSE(std::filesystem::exists(database()));
}

TEST_F(UploadTest, StopEndsTheUploadWithoutEndMark)
{
    startLine("1:1808");
    state().currentAddress = "1";
    ASSERT_EQ(CheckDatabase(*telegram).result, DatabaseCheck::Missing);
    const auto [r, notices] = uploadDatabase(3);
    EXPECT_EQ(r, CTransfer::Aborted);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (platform::Notice{"Progress was aborted by the user !", MsgIcon::Information}));
    EXPECT_EQ(CheckDatabase(*telegram).result, DatabaseCheck::Missing);
}

TEST_F(UploadTest, WorkingFileStopsAtADamagedOrTruncatedDatabase)
{
    startLine("1:1808");
    state().currentAddress = "3";
    EXPECT_EQ(MakeWorkingFile(dir.path() + "/tvk/RQ-9999.tvk"), "");
    const std::string full = readFile(writeDatabase(1808));
    // Cut in the middle of the fourth record.
    const std::string path = writeFile(dir.path() + "/tvk/cut.tvk", full.substr(0, 3 * 48 + 20));
    const std::string work = MakeWorkingFile(path);
    ASSERT_FALSE(work.empty());
    EXPECT_EQ(readFile(work).size(), 30u);
    // Garbage in place of the second record's number.
    std::string bad = full;
    bad.replace(48 + 1, 4, "Z?!x");
    writeFile(path, bad);
    EXPECT_EQ(readFile(MakeWorkingFile(path)), "00000000\r\n");
}

}  // namespace
}  // namespace kestrel::testing
