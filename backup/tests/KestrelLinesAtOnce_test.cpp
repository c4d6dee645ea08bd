// Backups of two SIO lines at once, into one installation and one folder,
// as a timer per line starts them: every file holds the values of its own
// line's drive, round after round. A line that another program has is
// refused with its holder's name, and a run holds its line against Kestrel
// until it ends. Where the suite runs as root, the rounds also run as a
// user who is not.
#include <backup/lib/BackupRun.h>
#include <backup/tests/BackupTesting.h>

#include <kestrel/core/CMSComm.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/TvkRecord.h>
#include <kestrel/tests/FactoryDatabase.h>
#include <sim/tests/SioDrivesOnPty.h>

#include <platform/LineLock.h>
#include <platform/testing/ScopedEnv.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>

namespace backup {
namespace {

using namespace backup::testing;
using namespace std::chrono_literals;

// Rounds per test run; the long run (bench/) sets 20.
int rounds()
{
    const char* n = std::getenv("AVIARY_BACKUP_ROUNDS");
    return n && std::atoi(n) > 0 ? std::atoi(n) : 1;
}

struct SimulatedLine {
    sim::testing::SioDrivesOnPty drives;

    void start()
    {
        std::string error;
        ASSERT_TRUE(drives.start("1:1808", error)) << error;
    }
    const std::string& path() const { return drives.path(); }
    // "pts-3": the line as the files name it.
    std::string lineName() const
    {
        std::string name = path().substr(5);
        for (char& c : name) c = c == '/' ? '-' : c;
        return name;
    }
    // Every setting of the drive a value of its own: base + its position.
    void setValues(int base)
    {
        drives.bus().withDrive(1, [base](sim::SioDrive& d) {
            int k = 0;
            for (const sim::SioParameter& p : d.catalogue().records())
                if (!p.isGroupHeader() && !p.isViewOnly() && p.maximum > p.minimum)
                    d.setValue(p.number, static_cast<uint16_t>(p.minimum + (base + k++) % (p.maximum - p.minimum)));
        });
    }
    // Every value of the drive, as a run started now should save them.
    std::map<uint16_t, uint16_t> values()
    {
        std::map<uint16_t, uint16_t> out;
        drives.bus().withDrive(1, [&](sim::SioDrive& d) {
            for (const sim::SioParameter& p : d.catalogue().records()) out[p.number] = d.value(p.number);
        });
        return out;
    }
};

class KestrelLinesAtOnce : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (SimulatedLine* line : {&a_, &b_}) line->start();
        // Readable and writable for a user who is not root, too.
        for (const std::string& dir : {registry_.path(), install_.path(), install_.path() + "/tvk", out_.path(),
                                       runtime_.path()})
            ::chmod(dir.c_str(), 0777);
        for (SimulatedLine* line : {&a_, &b_}) ::chmod(line->path().c_str(), 0666);
    }
    std::vector<std::string> command(const SimulatedLine& line, std::vector<std::string> asUser = {}) const
    {
        std::vector<std::string> c = asUser;
        c.insert(c.end(), {backupProgram(), "--family", "kestrel", "--port", line.path(), "--install",
                           install_.path(), "--dir", out_.path(), "--wait", "2", "--rts-hold", "0", "backup", "1"});
        return c;
    }
    // The file of one round's run on a line: the only one not seen before.
    std::string newFile(const SimulatedLine& line, std::set<std::string>& seen)
    {
        std::string found;
        for (const std::string& f : backupFiles(out_.path(), "01_NEW_kestrel-" + line.lineName() + "_"))
            if (seen.insert(f).second) {
                EXPECT_EQ(found, "") << "two new files of one line: " << found << " " << f;
                found = f;
            }
        return found;
    }
    void expectValuesOf(const std::map<uint16_t, uint16_t>& expected, const std::string& file)
    {
        ASSERT_NE(file, "");
        const std::string body = readFile(file).substr(kestrel::ListFile::kHeaderSize);
        ASSERT_GT(body.size(), 200u) << file;
        for (size_t at = 0; at + 10 <= body.size(); at += 10) {
            const auto number = kestrel::parseHex4(body.substr(at, 4));
            const auto value = kestrel::parseHex4(body.substr(at + 4, 4));
            ASSERT_TRUE(number && value) << file;
            if (*number == 0x00AC) continue;  // the error register is stored as 0000, never read
            ASSERT_EQ(*value, expected.at(*number)) << file << " " << body.substr(at, 4);
        }
    }
    void runRounds(const std::vector<std::string>& asUser)
    {
        std::set<std::string> seen;
        for (int round = 0; round < rounds(); ++round) {
            a_.setValues(100 + round);
            b_.setValues(7000 + round);
            const auto valuesA = a_.values(), valuesB = b_.values();
            ChildProcess first(command(a_, asUser)), second(command(b_, asUser));
            const auto endA = first.wait(9s), endB = second.wait(9s);
            ASSERT_TRUE(exitedWith(endA, 0)) << first.finalOutput();
            ASSERT_TRUE(exitedWith(endB, 0)) << second.finalOutput();
            expectValuesOf(valuesA, newFile(a_, seen));
            expectValuesOf(valuesB, newFile(b_, seen));
        }
        // Nothing of the runs' work is left in the installation.
        EXPECT_FALSE(std::filesystem::exists(install_.path() + "/parameter"));
    }

    platform::testing::TempDir registry_;
    platform::testing::RegistryRedirect redirect_{registry_.path()};
    platform::testing::TempDir runtime_;
    platform::testing::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.path().c_str()};
    platform::testing::TempDir install_, out_;
    std::string catalogue_ = install_.write("tvk/RQ-1808.tvk", kestrel::testing::factoryDatabase(1808));
    SimulatedLine a_, b_;
};

TEST_F(KestrelLinesAtOnce, EveryFileHoldsItsOwnLinesValues)
{
    runRounds({});
}

TEST_F(KestrelLinesAtOnce, EveryFileHoldsItsOwnLinesValuesForAUserWhoIsNotRoot)
{
    if (::geteuid() != 0) GTEST_SKIP() << "not root: the other rounds already ran without privileges";
    if (!nobodyReaches(backupProgram())) GTEST_SKIP() << "nobody cannot reach " << backupProgram();
    runRounds({"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
}

TEST_F(KestrelLinesAtOnce, ALineInUseIsRefusedAndARunHoldsItsLineToTheEnd)
{
    // Kestrel has line A open: the backup is refused and says by whom.
    platform::testing::ScopedEnv com7("AVIARY_COM7", a_.path().c_str());
    kestrel::CMSComm kestrel;
    kestrel.SetCommPort(7);
    ASSERT_TRUE(kestrel.SetPortOpen(true));
    ChildProcess refused(command(a_, {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1"}));
    EXPECT_TRUE(exitedWith(refused.wait(9s), kExitError));
    const std::string said = refused.finalOutput();
    EXPECT_NE(said.find(a_.lineName() + " is in use by " +
                        std::string(program_invocation_short_name) + " (pid " + std::to_string(::getpid()) + ")"),
              std::string::npos)
        << said;
    EXPECT_TRUE(backupFiles(out_.path(), "").empty());
    ASSERT_TRUE(kestrel.SetPortOpen(false));

    // A run has the line from its start to its end: Kestrel is refused
    // meanwhile, told who has it, and the run's file is whole.
    a_.setValues(300);
    const auto values = a_.values();
    ChildProcess run(command(a_));
    ASSERT_TRUE(tern::testkit::eventually(
        [&] { return platform::LineLock::holder(a_.path()).find("aviary-backup") == 0; }, 5s));
    EXPECT_FALSE(kestrel.SetPortOpen(true));
    EXPECT_EQ(kestrel.lastError(), kestrel::commErrPortOpen);
    EXPECT_EQ(kestrel.lineHolder(), "aviary-backup (pid " + std::to_string(run.pid()) + ")");
    ASSERT_TRUE(exitedWith(run.wait(9s), 0)) << run.finalOutput();
    std::set<std::string> seen;
    expectValuesOf(values, newFile(a_, seen));
    EXPECT_TRUE(kestrel.SetPortOpen(true));
}

}  // namespace
}  // namespace backup
