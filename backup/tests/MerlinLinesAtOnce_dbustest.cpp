// Backups of two Modbus lines at once through one link server, as a timer
// per line starts them: one line named as a COM port of ports.ini, the
// other by its device path; every file holds the values of its own line's
// drive, round after round, and ports.ini is left as the user wrote it.
// A line that Merlin has (its connection "XYZ") is refused with the
// holder's name, while the other line's backup goes on unharmed.
#include <backup/lib/BackupRun.h>
#include <backup/tests/BackupTesting.h>

#include <merlin/core/CDpfParSet.h>
#include <merlin/link/CTernLink.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>

#include <platform/testing/ScopedEnv.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace backup {
namespace {

using namespace backup::testing;
using namespace std::chrono_literals;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new tern::testkit::TernBusEnvironment);

const char* const kNormal = "LM3_Normal_V3.dpf";

int rounds()
{
    const char* n = std::getenv("AVIARY_BACKUP_ROUNDS");
    return n && std::atoi(n) > 0 ? std::atoi(n) : 6;
}

struct SimulatedLine {
    sim::MerlinDriveModel model;
    sim::ModbusSlaveRunner runner{model, {}};

    void start()
    {
        std::string error;
        auto drive = sim::loadDrive(sim::defaultDefinitionDirectory(), kNormal, 0, error);
        ASSERT_TRUE(drive) << error;
        model.addDrive(2, std::move(drive));
        ASSERT_TRUE(runner.startPty(error)) << error;
    }
    // Every setting of the drive a value of its own: base + its position.
    void setValues(const merlin::CDpfParSet& definition, int base)
    {
        model.withDrive(2, [&](sim::MerlinDrive& d) {
            int k = 0;
            for (int i = 0; i < definition.Count(); ++i) {
                const merlin::CPar& p = definition.At(i);
                // Settings only, away from the family's fixed registers (password, control).
                if (p.access == 0 && !p.IsChoice() && p.min >= 0 && p.max > p.min && p.RegisterOffset() > 300 &&
                    p.RegisterOffset() < 900 && d.has(p.RegisterOffset()))
                    d.setValue(p.RegisterOffset(), static_cast<uint16_t>(p.min + (base + k++) % (p.max - p.min)));
            }
        });
    }
    uint16_t value(int offset)
    {
        uint16_t v = 0;
        model.withDrive(2, [&](sim::MerlinDrive& d) { v = d.value(offset); });
        return v;
    }
};

class MerlinLinesAtOnce : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory_symlink(tern::testkit::binDir() + "/DeviceData",
                                                  install_.path() + "/DeviceData");
        for (SimulatedLine* line : {&a_, &b_}) line->start();
        std::ofstream(portsFile_) << portsText_ + a_.runner.ptyPath() + "\n";
        definition_.SetProgramDirectory(install_.path());
        definition_.SetTrace(nullptr);
        ASSERT_EQ(definition_.LoadDefinition(kNormal), merlin::kLoadOk);
    }
    void TearDown() override { std::filesystem::remove(portsFile_); }
    std::vector<std::string> command(const std::string& port, const std::string& what = "backup") const
    {
        return {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", backupProgram(), "--family", "merlin", "--port", port,
                "--install", install_.path(), "--dir", out_.path(), "--timeout", "150", "--delay", "1",
                "--retries", "1", what, "2"};
    }
    std::string newFile(const std::string& prefix, std::set<std::string>& seen)
    {
        std::string found;
        for (const std::string& f : backupFiles(out_.path(), prefix))
            if (seen.insert(f).second) {
                EXPECT_EQ(found, "") << "two new files of one line: " << found << " " << f;
                found = f;
            }
        return found;
    }
    void expectValuesOf(SimulatedLine& line, const std::string& file)
    {
        ASSERT_NE(file, "");
        merlin::CDpfParSet set(install_.path());
        set.SetTrace(nullptr);
        ASSERT_EQ(set.LoadParameterFile(std::filesystem::path(file)), 0) << file;
        ASSERT_GT(set.Count(), 50);
        for (int k = 0; k < set.Count(); ++k) {
            const merlin::CPar& par = set.At(k);
            if (par.RegisterOffset() < 1) continue;
            ASSERT_EQ(merlin::rawToRegister(par.value), line.value(par.RegisterOffset())) << file << " " << par.name;
        }
    }
    std::string bLine() const
    {
        std::string name = b_.runner.ptyPath().substr(5);
        for (char& c : name) c = c == '/' ? '-' : c;
        return name;
    }

    platform::testing::TempDir install_, out_;
    std::string portsFile_ = tern::testkit::TernBusEnvironment::registryDirectory() + "/ports.ini";
    std::string portsText_ = "; the plant's lines, kept by hand\n[Ports]\n\n; the drives' cabinet\nCOM3=";
    merlin::CDpfParSet definition_;
    SimulatedLine a_, b_;
};

TEST_F(MerlinLinesAtOnce, EveryFileHoldsItsOwnLinesValuesAndPortsIniIsKept)
{
    const std::string ports = readFile(portsFile_);
    std::set<std::string> seen;
    for (int round = 0; round < rounds(); ++round) {
        a_.setValues(definition_, 10 + round);
        b_.setValues(definition_, 500 + round);
        ChildProcess first(command("COM3")), second(command(b_.runner.ptyPath()));
        const auto endA = first.wait(9s), endB = second.wait(9s);
        ASSERT_TRUE(exitedWith(endA, 0)) << first.finalOutput();
        ASSERT_TRUE(exitedWith(endB, 0)) << second.finalOutput();
        expectValuesOf(a_, newFile("02_NEW_merlin-COM3_", seen));
        expectValuesOf(b_, newFile("02_NEW_merlin-" + bLine() + "_", seen));
        EXPECT_EQ(readFile(portsFile_), ports);
    }
}

TEST_F(MerlinLinesAtOnce, ALineMerlinHasIsRefusedWhileTheOtherLineIsSaved)
{
    merlin::LinkSettings settings;
    settings.comPort = 3;
    settings.timeoutMs = 150;
    merlin::CTernLink merlin(settings);
    ASSERT_TRUE(merlin.OpenLink());
    uint16_t word = 0;
    ASSERT_EQ(merlin.ReadRegister(2, 1, word), merlin::kLinkOk);

    b_.setValues(definition_, 900);
    ChildProcess refused(command("COM3")), other(command(b_.runner.ptyPath()));
    EXPECT_TRUE(exitedWith(refused.wait(9s), kExitError));
    const std::string said = refused.finalOutput();
    EXPECT_NE(said.find("COM3 is in use by tern (pid "), std::string::npos) << said;
    EXPECT_NE(said.find("), connection XYZ"), std::string::npos) << said;
    ASSERT_TRUE(exitedWith(other.wait(9s), 0)) << other.finalOutput();
    std::set<std::string> seen;
    expectValuesOf(b_, newFile("02_NEW_merlin-" + bLine() + "_", seen));
    EXPECT_TRUE(backupFiles(out_.path(), "02_NEW_merlin-COM3_").empty());
    // Merlin's own connection stayed on its line.
    EXPECT_EQ(merlin.ReadRegister(2, 1, word), merlin::kLinkOk);
}

}  // namespace
}  // namespace backup
