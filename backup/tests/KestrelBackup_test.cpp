// aviary-backup on a line of simulated SIO drives (the simulator on a
// pseudo-terminal): the drives are found, their files are the files Kestrel
// reads and hold the drives' values, a value changed at a drive shows in
// diff and restore puts it back, and a drive that goes silent mid-backup
// is reported while the others are saved.
#include <backup/lib/BackupRun.h>
#include <backup/lib/KestrelBus.h>
#include <backup/tests/BackupTesting.h>

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ListFile.h>
#include <sim/tests/SioDrivesOnPty.h>


#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace backup {
namespace {

using namespace backup::testing;

class KestrelLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(line_.start(drives_, error)) << error;
    }
    std::vector<std::string> args(std::vector<std::string> command) const
    {
        std::vector<std::string> a{"--family", "kestrel", "--port", line_.path(), "--install", install_.path(),
                                   "--dir", out_.path(), "--wait", "2", "--rts-hold", "0", "--retries", "8"};
        a.insert(a.end(), command.begin(), command.end());
        return a;
    }
    std::string fileOf(int address) const
    {
        return onlyBackupFile(out_.path(), (address < 10 ? "0" : "") + std::to_string(address) + "_NEW_kestrel-");
    }
    uint16_t driveValue(int address, uint16_t number) { return line_.value(address, number); }

    platform::testing::TempDir registry_;
    platform::testing::RegistryRedirect redirect_{registry_.path()};
    platform::testing::TempDir install_, out_;
    std::string catalogues_ = install_.write("tvk/README", "");
    // Drives of two software versions, so that a file can meet the wrong one.
    std::string drives_ = "1:1808,5:1812";
    sim::testing::SioDrivesOnPty line_;
};

TEST_F(KestrelLineTest, ScanFindsTheDrivesWithTheirVersions)
{
    ProgramRun scan = runProgram(args({"--json", "scan"}));
    ASSERT_EQ(scan.exitCode(), 0) << scan.all();
    EXPECT_TRUE(parsesAsJson(scan.output)) << scan.all();
    EXPECT_NE(scan.all().find("{\"address\": 1, \"name\": \"NEW\", \"type\": \"RQ9000 A18.08\"}"),
              std::string::npos) << scan.all();
    EXPECT_NE(scan.all().find("{\"address\": 5, \"name\": \"NEW\", \"type\": \"RQ9000 A18.12\"}"),
              std::string::npos) << scan.all();
    EXPECT_EQ(scan.all().find("\"address\": 0,"), std::string::npos) << scan.all();
}

TEST_F(KestrelLineTest, BackupGivesFilesKestrelReadsWithTheDrivesValues)
{
    // Drive 1's list is open in Kestrel: its working file must come through untouched.
    const std::string openList = install_.write("parameter/List-1.~pa", "00E40710\r\n");
    ProgramRun backup = runProgram(args({"backup"}));
    ASSERT_EQ(backup.exitCode(), 0) << backup.all();
    EXPECT_NE(backup.all().find("backup: 2 saved, 0 failed"), std::string::npos) << backup.all();
    for (const int address : {1, 5}) {
        const std::string path = fileOf(address);
        const auto version = kestrel::ListFile::readVersion(path);
        ASSERT_TRUE(version) << path;
        const std::string database = install_.path() + kestrel::CDatabase::fileNameForVersion(*version);
        const auto check = kestrel::ListFile::check(path, database, kestrel::ListKind::ParameterFile);
        EXPECT_EQ(check.result, kestrel::ListFile::Check::Ok) << path;
        const std::string body = readFile(path).substr(kestrel::ListFile::kHeaderSize);
        ASSERT_GT(check.records, 20u);
        for (size_t r = 0; r < check.records; ++r) {
            const auto number = kestrel::parseHex4(body.substr(r * 10, 4));
            const auto value = kestrel::parseHex4(body.substr(r * 10 + 4, 4));
            ASSERT_TRUE(number && value);
            if (*number == 0x00AC) continue;  // the error register is stored as 0000, never read
            EXPECT_EQ(*value, driveValue(address, *number)) << address << " " << body.substr(r * 10, 4);
        }
    }
    EXPECT_EQ(readFile(openList), "00E40710\r\n");
    EXPECT_FALSE(std::filesystem::exists(install_.path() + "/parameter/List-5.~pa"));
    // A second run the same day keeps the first run's file and adds its own.
    const std::string first = fileOf(5), firstBytes = readFile(first);
    ProgramRun again = runProgram(args({"backup", "5"}));
    EXPECT_EQ(again.exitCode(), 0) << again.all();
    EXPECT_EQ(backupFiles(out_.path(), "05_NEW_kestrel-").size(), 2u);
    EXPECT_EQ(readFile(first), firstBytes);
}

TEST_F(KestrelLineTest, DiffNamesAChangedValueAndRestoreBringsItBack)
{
    ASSERT_EQ(runProgram(args({"backup", "5"})).exitCode(), 0);
    const std::string file = fileOf(5);
    const uint16_t before = driveValue(5, 0x0031);
    line_.bus().keypadChange(5, 0x0031, static_cast<uint16_t>(before + 2));

    ProgramRun diff = runProgram(args({"diff", "5", file}));
    EXPECT_EQ(diff.exitCode(), kExitDifferent) << diff.all();
    EXPECT_NE(diff.all().find("1 difference"), std::string::npos) << diff.all();
    // The row names the parameter as the drive's database does.
    std::string name;
    for (const sim::SioParameter& p : sim::SioCatalogue::forVersion(1812)->records())
        if (p.number == 0x0031) name = p.name.substr(0, p.name.find_last_not_of(' ') + 1);
    ASSERT_FALSE(name.empty());
    const size_t row = diff.output.find("\n0031");
    ASSERT_NE(row, std::string::npos) << diff.all();
    EXPECT_EQ(diff.output.substr(row + 1, 11 + name.size()), "0031       " + name) << diff.all();

    // A file of another software version is refused unless forced.
    ProgramRun other = runProgram(args({"restore", "1", file}));
    EXPECT_EQ(other.exitCode(), kExitError) << other.all();
    EXPECT_NE(other.all().find("Version conflict !"), std::string::npos) << other.all();

    ProgramRun restore = runProgram(args({"restore", "5", file}));
    ASSERT_EQ(restore.exitCode(), 0) << restore.all();
    EXPECT_EQ(driveValue(5, 0x0031), before);
}

// One software version: its database is uploaded with the first drive, so
// drive 5 leaves during its value upload.
class KestrelOneVersionLine : public KestrelLineTest {
protected:
    KestrelOneVersionLine() { drives_ = "1:1808,5:1808,9:1808"; }
};

TEST_F(KestrelOneVersionLine, ADriveThatGoesSilentMidBackupIsReportedAndTheOthersAreSaved)
{
    const KestrelLine line = kestrelLineOnCom7(install_.path(), 8, 2);
    ::setenv("AVIARY_COM7", line_.path().c_str(), 1);
    KestrelBus kestrelBus(line);
    std::string error;
    ASSERT_TRUE(kestrelBus.ready(error)) << error;
    DriveLeavesMidway bus(kestrelBus, 5, [this] { line_.bus().removeDrive(5); });
    BackupOptions options;
    options.family = "kestrel";
    options.command = Command::Backup;
    options.outputDir = out_.path();
    options.addresses = {1, 5, 9};
    std::ostringstream out, err;
    ProgressBar progress(stderr, false);
    EXPECT_EQ(BackupRun(bus, options, out, err, progress).run(), kExitPartial);
    ::unsetenv("AVIARY_COM7");
    EXPECT_NE(out.str().find("05  FAILED  NEW  There was some error while uploading data."), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("backup: 2 saved, 1 failed"), std::string::npos) << out.str();
    EXPECT_NE(fileOf(1), "");
    EXPECT_NE(fileOf(9), "");
    EXPECT_EQ(backupFiles(out_.path(), "05_").size(), 0u);
    for (const auto& e : std::filesystem::directory_iterator(out_.path()))
        EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace backup
