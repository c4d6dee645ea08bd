// A Merlin restore reads the whole file before it writes anything: files
// cut at every record boundary and inside records, headers with changed
// bytes, values past their limits, a file of header and ten bytes and one of
// 1000 + 10 zero bytes are all refused with exit 2, and the simulated
// drive's registers are the same before and after each; diff refuses a cut
// file as well. A definition that describes no parameter makes no backup.
#include <backup/lib/BackupRun.h>
#include <backup/lib/MerlinBus.h>
#include <platform/LineLock.h>
#include <platform/PortMap.h>
#include <backup/tests/BackupTesting.h>

#include <merlin/core/CBulkTransfer.h>
#include <merlin/core/CDpfParSet.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>

#include <platform/PortMap.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace backup {
namespace {

using namespace backup::testing;
using namespace std::chrono_literals;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new tern::testkit::TernBusEnvironment);

constexpr int kCom = 3;
constexpr int kUnit = 2;
const char* const kNormal = "LM3_Normal_V3.dpf";

// Everything a write could change: the value of every register and the lock.
struct DriveImage {
    std::map<int, uint16_t> registers;
    bool locked = false;
    bool operator==(const DriveImage&) const = default;
};

// One drive on a simulated line, one backup of it, shared by every case:
// the damaged files are all made from that backup.
class MerlinRestoreCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        line_ = new Line;
        std::filesystem::create_directory_symlink(tern::testkit::binDir() + "/DeviceData",
                                                  line_->install.path() + "/DeviceData");
        std::string error;
        auto drive = sim::loadDrive(sim::defaultDefinitionDirectory(), kNormal, 0, error);
        ASSERT_TRUE(drive) << error;
        line_->model.addDrive(kUnit, std::move(drive));
        ASSERT_TRUE(line_->runner.startPty(error)) << error;
        ASSERT_TRUE(platform::setComPortDevice(kCom, line_->runner.ptyPath()));
        line_->bus = std::make_unique<MerlinBus>(line_->install.path(), settings());
        ASSERT_TRUE(line_->bus->linked(error)) << error;
        line_->good = line_->out.path() + "/good.par";
        ASSERT_TRUE(line_->bus->backup({kUnit, "NEW", ""}, line_->good, {}, error)) << error;
    }
    static void TearDownTestSuite()
    {
        delete line_;
        line_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(line_ && line_->bus) << "no line"; }

    static merlin::LinkSettings settings()
    {
        merlin::LinkSettings s;
        s.comPort = kCom;
        s.timeoutMs = 150;
        s.retries = 1;
        s.requestDelayMs = 1;
        return s;
    }
    static DriveImage image()
    {
        DriveImage image;
        line_->model.withDrive(kUnit, [&](sim::MerlinDrive& d) {
            for (int offset = 0; offset < 2000; ++offset)
                if (d.has(offset)) image.registers[offset] = d.value(offset);
            image.locked = d.locked();
        });
        return image;
    }
    // The restore as aviary-backup runs it, on the shared link.
    static int restore(const std::string& bytes, std::string& said)
    {
        const std::string path = line_->out.path() + "/damaged.par";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        BackupOptions options;
        options.family = "merlin";
        options.command = Command::Restore;
        options.addresses = {kUnit};
        options.file = path;
        std::ostringstream out, err;
        ProgressBar progress(stderr, false);
        const int exit = BackupRun(*line_->bus, options, out, err, progress).run();
        said = out.str() + err.str();
        return exit;
    }
    // Restores each damaged file and expects a refusal that leaves the drive as it was.
    static void expectRefused(const std::map<std::string, std::string>& files, const std::string& words)
    {
        const DriveImage before = image();
        for (const auto& [what, bytes] : files) {
            std::string said;
            EXPECT_EQ(restore(bytes, said), kExitError) << what << ": " << said;
            EXPECT_NE(said.find(words), std::string::npos) << what << ": " << said;
            EXPECT_EQ(said.find("restored"), std::string::npos) << what << ": " << said;
        }
        EXPECT_TRUE(image() == before) << "a refused restore changed the drive";
    }
    static merlin::CDpfParSet goodSet()
    {
        merlin::CDpfParSet set(line_->install.path());
        set.SetTrace(nullptr);
        EXPECT_EQ(set.LoadParameterFile(std::filesystem::path(line_->good)), 0);
        return set;
    }
    static std::string withValue(std::string bytes, int k, int32_t value)
    {
        std::string word(4, '\0');
        for (int b = 0; b < 4; ++b)
            word[b] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * b));
        return bytes.replace(1000 + 64 * k + 60, 4, word);
    }

    struct Line {
        platform::testing::TempDir install, out;
        sim::MerlinDriveModel model;
        sim::ModbusSlaveRunner runner{model, {}};
        std::unique_ptr<MerlinBus> bus;
        std::string good;
    };
    static Line* line_;
};

MerlinRestoreCheck::Line* MerlinRestoreCheck::line_ = nullptr;

TEST_F(MerlinRestoreCheck, AFileCutAnywhereIsRefusedAndTheDriveIsUntouched)
{
    const std::string good = readFile(line_->good);
    const int records = (static_cast<int>(good.size()) - 1000) / 64;
    ASSERT_GT(records, 100);
    std::map<std::string, std::string> boundary, inside;
    for (int k = 1; k < records; ++k) {
        boundary["after record " + std::to_string(k)] = good.substr(0, 1000 + 64 * k);
        // Inside records: near the start, the middle and the end, moving on.
        inside["inside record " + std::to_string(k)] = good.substr(0, 1000 + 64 * k + 1 + (k * 29) % 63);
    }
    expectRefused(boundary, "parameters");
    expectRefused(inside, "then part of a record");
    expectRefused({{"header and ten bytes", good.substr(0, 1010)}}, "the file holds no parameter");
    expectRefused({{"1000 + 10 zero bytes", std::string(1010, '\0')},
                   {"the header alone", good.substr(0, 1000)},
                   {"the header and a part of the first record", good.substr(0, 1005)}},
                  "not a valid parameter file");
}

TEST_F(MerlinRestoreCheck, AChangedHeaderIsRefusedAndTheDriveIsUntouched)
{
    const std::string good = readFile(line_->good);
    const int nameLength = static_cast<uint8_t>(good[2]);
    std::map<std::string, std::string> files;
    // Header size, the name, the format mark, device type, application, version.
    std::vector<int> offsets{0, 1, 132, 133, 134, 135, 170, 171, 172, 173, 174, 175};
    for (int offset = 4; offset < 4 + nameLength; ++offset)
        offsets.push_back(offset);
    for (const int offset : offsets)
        for (const uint8_t mask : {0x01, 0x80, 0xFF}) {
            std::string bytes = good;
            bytes[offset] = static_cast<char>(bytes[offset] ^ mask);
            files[std::to_string(offset) + "^" + std::to_string(mask)] = bytes;
        }
    std::string shorter = good;
    shorter[2] = static_cast<char>(nameLength - 1);
    files["name length one short"] = shorter;
    expectRefused(files, "aviary-backup: ");
}

TEST_F(MerlinRestoreCheck, ValuesPastTheirLimitsAreRefusedAndTheDriveIsUntouched)
{
    const std::string good = readFile(line_->good);
    const merlin::CDpfParSet set = goodSet();
    std::map<std::string, std::string> files;
    int numeric = 0, choice = 0;
    for (int k = 0; k < set.Count(); ++k) {
        const merlin::CPar& par = set.At(k);
        if (!merlin::CBulkTransfer::DownloadWrites(set, par)) continue;
        int& taken = par.IsChoice() ? choice : numeric;
        if (taken++ >= 6) continue;
        files[par.name + " above"] = withValue(good, k, par.max + 1);
        files[par.name + " below"] = withValue(good, k, par.min - 1);
        files[par.name + " past 16 bits"] = withValue(good, k, 0x10000 + par.min);
    }
    ASSERT_GE(numeric, 6);
    ASSERT_GE(choice, 1);
    expectRefused(files, "outside their limits");
}

TEST_F(MerlinRestoreCheck, TheProgramRefusesACutFileWithExitTwoAndDiffRefusesItToo)
{
    const std::string good = readFile(line_->good);
    const std::string cut = line_->out.path() + "/cut.par";
    std::ofstream(cut, std::ios::binary) << good.substr(0, good.size() - 64);
    const DriveImage before = image();
    // The program takes the line for itself: this process lets go of it first.
    line_->bus.reset();
    ASSERT_TRUE(tern::testkit::eventually([] { return platform::LineLock::holder(platform::comPortDevice(3)).empty(); }));
    const ProgramRun run = runProgram({"--family", "merlin", "--port", "COM3", "--install", line_->install.path(),
                                       "--timeout", "150", "--delay", "1", "--retries", "1", "restore", "2", cut});
    EXPECT_EQ(run.exitCode(), kExitError) << run.all();
    EXPECT_NE(run.all().find("nothing was written"), std::string::npos) << run.all();
    EXPECT_NE(run.all().find("parameters; not in the file: "), std::string::npos) << run.all();
    EXPECT_TRUE(image() == before);

    // diff reads the file through the same checks.
    std::string error;
    line_->bus = std::make_unique<MerlinBus>(line_->install.path(), settings());
    ASSERT_TRUE(line_->bus->linked(error)) << error;
    BackupOptions options;
    options.family = "merlin";
    options.command = Command::Diff;
    options.addresses = {kUnit};
    options.file = cut;
    std::ostringstream out, err;
    ProgressBar progress(stderr, false);
    EXPECT_EQ(BackupRun(*line_->bus, options, out, err, progress).run(), kExitError) << out.str();
    EXPECT_NE(err.str().find("cannot compare with"), std::string::npos) << err.str();

    // The whole file still goes back.
    std::string said;
    EXPECT_EQ(restore(good, said), kExitOk) << said;
}

TEST_F(MerlinRestoreCheck, ADefinitionOfNoParametersMakesNoBackup)
{
    platform::testing::TempDir install, out;
    install.write(std::string("DeviceData/") + kNormal, "[Revision]\n1,8,'LM3'\n2,1,'Normal'\n3,3,'V3'\n\n[End]\n");
    MerlinBus bus(install.path(), settings());
    std::string error;
    ASSERT_TRUE(bus.linked(error)) << error;
    const std::string path = out.path() + "/none.par";
    EXPECT_FALSE(bus.backup({kUnit, "NEW", ""}, path, {}, error));
    EXPECT_NE(error.find("describes no parameter"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace backup
