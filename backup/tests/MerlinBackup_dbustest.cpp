// aviary-backup on a line of simulated Modbus drives, through the Tern link
// server on a private session bus: the drives are found, their files are
// the files Merlin reads and hold the drives' values, a changed value shows
// in diff and restore puts it back (with the drive's password where it
// asks for one), a file of another drive type is refused, and a drive that
// goes silent mid-backup is reported while the others are saved.
#include <backup/lib/BackupRun.h>
#include <backup/lib/MerlinBus.h>
#include <backup/tests/BackupTesting.h>

#include <merlin/core/CDpfParSet.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>

#include <platform/PortMap.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace backup {
namespace {

using namespace backup::testing;
using namespace std::chrono_literals;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new tern::testkit::TernBusEnvironment);

constexpr int kCom = 3;
const char* const kNormal = "LM3_Normal_V3.dpf";
const char* const kVexal = "LT4_Vexal_V2.dpf";

class MerlinLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory_symlink(tern::testkit::binDir() + "/DeviceData",
                                                  install_.path() + "/DeviceData");
        addDrive(2, kNormal);
        addDrive(7, kVexal);
        std::string error;
        ASSERT_TRUE(runner_.startPty(error)) << error;
        ASSERT_TRUE(platform::setComPortDevice(kCom, runner_.ptyPath()));
    }
    void addDrive(uint8_t unit, const std::string& file, uint16_t password = 0)
    {
        std::string error;
        auto drive = sim::loadDrive(sim::defaultDefinitionDirectory(), file, password, error);
        ASSERT_TRUE(drive) << error;
        model_.addDrive(unit, std::move(drive));
    }
    std::vector<std::string> args(std::vector<std::string> command) const
    {
        std::vector<std::string> a{"--family", "merlin", "--port", "COM3", "--install", install_.path(), "--dir",
                                   out_.path(), "--timeout", "150", "--delay", "1", "--retries", "1"};
        a.insert(a.end(), command.begin(), command.end());
        return a;
    }
    std::string fileOf(int address) const
    {
        return onlyBackupFile(out_.path(), (address < 10 ? "0" : "") + std::to_string(address) + "_NEW_merlin-");
    }
    uint16_t driveValue(uint8_t unit, int offset)
    {
        uint16_t v = 0;
        model_.withDrive(unit, [&](sim::MerlinDrive& d) { v = d.value(offset); });
        return v;
    }
    // A parameter the user may set, away from the fixed registers, and a value for it.
    static const merlin::CPar* writable(const merlin::CDpfParSet& set)
    {
        for (int k = 0; k < set.Count(); ++k) {
            const merlin::CPar& par = set.At(k);
            if (par.access == 0 && !par.IsChoice() && par.min >= 0 && par.max > par.min + 2 &&
                par.RegisterOffset() > 300 && par.RegisterOffset() < 900)
                return &par;
        }
        return nullptr;
    }
    merlin::CDpfParSet load(const std::string& path) const
    {
        merlin::CDpfParSet set(install_.path());
        set.SetTrace(nullptr);
        EXPECT_EQ(set.LoadParameterFile(std::filesystem::path(path)), 0) << path;
        return set;
    }

    platform::testing::TempDir install_, out_;
    sim::MerlinDriveModel model_;
    sim::ModbusSlaveRunner runner_{model_, {}};
};

TEST_F(MerlinLineTest, ScanFindsTheDrivesWithTheirTypes)
{
    ProgramRun scan = runProgram(args({"--json", "scan"}), 9s);
    ASSERT_EQ(scan.exitCode(), 0) << scan.all();
    EXPECT_TRUE(parsesAsJson(scan.output)) << scan.all();
    EXPECT_NE(scan.all().find("{\"address\": 2, \"name\": \"NEW\", \"type\": \"LM3 Normal V3\"}"), std::string::npos)
        << scan.all();
    EXPECT_NE(scan.all().find("{\"address\": 7, \"name\": \"NEW\", \"type\": \"LT4 Vexal V2\"}"), std::string::npos)
        << scan.all();
}

TEST_F(MerlinLineTest, BackupGivesFilesMerlinReadsWithTheDrivesValues)
{
    ProgramRun backup = runProgram(args({"backup", "2", "7", "9"}));
    EXPECT_EQ(backup.exitCode(), kExitPartial) << backup.all();
    EXPECT_NE(backup.all().find("09  FAILED  no answer"), std::string::npos) << backup.all();
    EXPECT_NE(backup.all().find("backup: 2 saved, 1 failed"), std::string::npos) << backup.all();
    for (const uint8_t unit : {2, 7}) {
        merlin::CDpfParSet set = load(fileOf(unit));
        ASSERT_GT(set.Count(), 50);
        for (int k = 0; k < set.Count(); ++k) {
            const merlin::CPar& par = set.At(k);
            if (par.RegisterOffset() < 1) continue;
            EXPECT_EQ(merlin::rawToRegister(par.value), driveValue(unit, par.RegisterOffset()))
                << int(unit) << " " << par.name;
        }
    }
}

TEST_F(MerlinLineTest, DiffNamesAChangedValueAndRestoreBringsItBack)
{
    ASSERT_EQ(runProgram(args({"backup", "2", "7"})).exitCode(), 0);
    const std::string file = fileOf(2);
    const merlin::CDpfParSet saved = load(file);
    const merlin::CPar* par = writable(saved);
    ASSERT_TRUE(par);
    const uint16_t before = driveValue(2, par->RegisterOffset());
    model_.withDrive(2, [&](sim::MerlinDrive& d) {
        d.setValue(par->RegisterOffset(), static_cast<uint16_t>(before == par->max ? before - 1 : before + 1));
    });

    ProgramRun diff = runProgram(args({"--json", "diff", "2", file}));
    EXPECT_EQ(diff.exitCode(), kExitDifferent) << diff.all();
    EXPECT_TRUE(parsesAsJson(diff.output)) << diff.all();
    EXPECT_NE(diff.all().find(jsonString(par->name)), std::string::npos) << diff.all();

    ProgramRun other = runProgram(args({"restore", "2", fileOf(7)}));
    EXPECT_EQ(other.exitCode(), kExitError) << other.all();
    EXPECT_NE(other.all().find("--force"), std::string::npos) << other.all();

    ProgramRun restore = runProgram(args({"restore", "2", file}));
    ASSERT_EQ(restore.exitCode(), 0) << restore.all();
    EXPECT_EQ(driveValue(2, par->RegisterOffset()), before);
    // A fault changes the drive's status and fault registers, none of its settings.
    model_.withDrive(2, [](sim::MerlinDrive& d) { d.raiseFault(1); });
    const ProgramRun after = runProgram(args({"diff", "2", file}));
    EXPECT_EQ(after.exitCode(), kExitOk) << after.all();
}

TEST_F(MerlinLineTest, ALockedDriveTakesARestoreOnlyWithItsPassword)
{
    addDrive(4, kNormal, 1234);
    ASSERT_EQ(runProgram(args({"backup", "4"})).exitCode(), 0);
    const std::string file = fileOf(4);
    const merlin::CDpfParSet saved = load(file);
    const merlin::CPar* par = writable(saved);
    ASSERT_TRUE(par);
    const uint16_t before = driveValue(4, par->RegisterOffset());
    model_.withDrive(4, [&](sim::MerlinDrive& d) { d.setValue(par->RegisterOffset(), before + 1); });

    ProgramRun refused = runProgram(args({"restore", "4", file}));
    EXPECT_EQ(refused.exitCode(), kExitError) << refused.all();
    EXPECT_NE(refused.all().find("--password"), std::string::npos) << refused.all();
    ProgramRun restore = runProgram(args({"--password", "1234", "restore", "4", file}));
    EXPECT_EQ(restore.exitCode(), 0) << restore.all();
    EXPECT_EQ(driveValue(4, par->RegisterOffset()), before);
}

TEST_F(MerlinLineTest, ADriveThatGoesSilentMidBackupIsReportedAndTheOthersAreSaved)
{
    merlin::LinkSettings settings;
    settings.comPort = kCom;
    settings.timeoutMs = 100;
    settings.retries = 1;
    settings.requestDelayMs = 1;
    MerlinBus merlinBus(install_.path(), settings);
    std::string error;
    ASSERT_TRUE(merlinBus.linked(error)) << error;
    DriveLeavesMidway bus(merlinBus, 2, [this] { model_.removeDrive(2); });
    addDrive(3, kVexal);
    BackupOptions options;
    options.family = "merlin";
    options.command = Command::Backup;
    options.outputDir = out_.path();
    options.addresses = {2, 3, 7};
    std::ostringstream out, err;
    ProgressBar progress(stderr, false);
    EXPECT_EQ(BackupRun(bus, options, out, err, progress).run(), kExitPartial);
    EXPECT_NE(out.str().find("02  FAILED  NEW  the drive stopped answering"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("backup: 2 saved, 1 failed"), std::string::npos) << out.str();
    EXPECT_NE(fileOf(3), "");
    EXPECT_NE(fileOf(7), "");
    EXPECT_EQ(backupFiles(out_.path(), "02_").size(), 0u);
    for (const auto& e : std::filesystem::directory_iterator(out_.path()))
        EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace backup
