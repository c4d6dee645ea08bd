// aviary-backup on SIO drives in a far cabinet: the simulator sits behind a
// real ser2net on loopback (RFC 2217), as behind a serial device server. The
// drives are scanned and saved with their own values; a server killed
// mid-backup, one that takes the connection and never answers, one that is
// gone, and a port the user may not open each end with a message that says
// what happened and what to do.
#include <backup/lib/BackupRun.h>
#include <backup/lib/KestrelBus.h>
#include <backup/lib/ProgressBar.h>
#include <backup/tests/BackupTesting.h>

#include <sim/tests/SioDrivesOnPty.h>

#include <platform/PortMap.h>
#include <platform/testing/Ser2netServer.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace backup {
namespace {

using namespace backup::testing;
using platform::testing::Ser2netServer;
using namespace std::chrono_literals;


// The program run as the user nobody (for a test that runs as root).
ProgramRun runAsNobody(const std::vector<std::string>& args)
{
    platform::testing::TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string errors = dir.path() + "/stderr";
    std::vector<std::string> all{"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                 "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$BACKUP_TEST_STDERR\"", backupProgram()};
    all.insert(all.end(), args.begin(), args.end());
    ProgramRun r;
    {
        ChildProcess child(all, {{"BACKUP_TEST_STDERR", errors}});
        r.status = child.wait(9s);
        r.output = child.finalOutput();
    }
    r.messages = readFile(errors);
    return r;
}

class KestrelCabinet : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Ser2netServer::available()) GTEST_SKIP() << "ser2net is not installed (scripts/install-deps.sh)";
        std::string error;
        // aviary-backup takes a folder with tvk/ for an installation.
        std::filesystem::create_directories(install_.path() + "/tvk");
        ASSERT_TRUE(line_.start("1:1808,5:1808", error)) << error;
        server_ = std::make_unique<Ser2netServer>(line_.path(), Ser2netServer::Kind::Rfc2217);
        ASSERT_TRUE(server_->ok()) << server_->error();
    }
    std::vector<std::string> args(const std::string& port, std::vector<std::string> command) const
    {
        std::vector<std::string> a{"--family", "kestrel", "--port", port, "--install", install_.path(),
                                   "--dir", out_.path(), "--wait", "5", "--rts-hold", "0", "--retries", "8"};
        a.insert(a.end(), command.begin(), command.end());
        return a;
    }
    // The backup of a drive; its name also carries the line and the time.
    std::string fileOf(int address) const
    {
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%02d_NEW_kestrel-", address);
        const std::string found = onlyBackupFile(out_.path(), prefix);
        return found.empty() ? out_.path() + "/" + prefix + "(none).par" : found;
    }

    platform::testing::TempDir registry_;
    platform::testing::RegistryRedirect redirect_{registry_.path()};
    platform::testing::TempDir install_, out_;
    sim::testing::SioDrivesOnPty line_;
    std::unique_ptr<Ser2netServer> server_;
};

TEST_F(KestrelCabinet, ScanOverRfc2217FindsTheDrives)
{
    ProgramRun scan = runProgram(args(server_->url(), {"--json", "scan"}));
    ASSERT_EQ(scan.exitCode(), 0) << scan.all();
    EXPECT_NE(scan.output.find("\"address\": 1"), std::string::npos) << scan.all();
    EXPECT_NE(scan.output.find("\"address\": 5"), std::string::npos) << scan.all();
}

TEST_F(KestrelCabinet, BackupOverRfc2217GivesTheDrivesValues)
{
    line_.bus().withDrive(5, [](sim::SioDrive& d) { d.setValue(0x0102, 0x0777); });
    ProgramRun backup = runProgram(args(server_->url(), {"backup", "5"}));
    ASSERT_EQ(backup.exitCode(), 0) << backup.all();
    ASSERT_TRUE(std::filesystem::exists(fileOf(5)));
    // The saved file against the drive itself: no difference.
    ProgramRun diff = runProgram(args(server_->url(), {"diff", "5", fileOf(5)}));
    EXPECT_EQ(diff.exitCode(), 0) << diff.all();
}

TEST_F(KestrelCabinet, ServerKilledMidBackupIsReportedAndNoFileIsLeft)
{
    const KestrelLine line = kestrelLineOnCom7(install_.path(), 3, 5);
    ::setenv("AVIARY_COM7", server_->url().c_str(), 1);
    KestrelBus kestrelBus(line);
    DriveLeavesMidway bus(kestrelBus, 5, [this] { server_->kill(); });
    BackupOptions options;
    options.family = "kestrel";
    options.command = Command::Backup;
    options.outputDir = out_.path();
    options.addresses = {1, 5};
    std::ostringstream out, err;
    ProgressBar progress(stderr, false);
    const auto start = std::chrono::steady_clock::now();
    const int exit = BackupRun(bus, options, out, err, progress).run();
    ::unsetenv("AVIARY_COM7");
    EXPECT_NE(exit, kExitOk);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 9s);
    EXPECT_NE(out.str().find("05  FAILED"), std::string::npos) << out.str() << err.str();
    EXPECT_TRUE(std::filesystem::exists(fileOf(1)));
    EXPECT_FALSE(std::filesystem::exists(fileOf(5)));
    EXPECT_FALSE(std::filesystem::exists(fileOf(5) + ".part"));
}

TEST_F(KestrelCabinet, Rfc2217ServerThatNeverAnswersIsNamed)
{
    platform::testing::SilentTcpServer silent;
    ASSERT_TRUE(silent.ok());
    const std::string where = "127.0.0.1:" + std::to_string(silent.port());
    ProgramRun scan = runProgram(args("rfc2217://" + where, {"scan"}));
    EXPECT_EQ(scan.exitCode(), kExitError) << scan.all();
    EXPECT_NE(scan.all().find("rfc2217://" + where + " accepts the connection but does not answer"), std::string::npos)
        << scan.all();
}

TEST_F(KestrelCabinet, RawServerThatNeverAnswersIsALineWithoutDrives)
{
    platform::testing::SilentTcpServer silent;
    ASSERT_TRUE(silent.ok());
    const std::string where = "127.0.0.1:" + std::to_string(silent.port());
    // A raw line has nothing to negotiate: it looks like a dead line, with
    // no drive on it.
    ProgramRun scan = runProgram(args("tcp://" + where, {"--json", "scan"}));
    EXPECT_NE(scan.exitCode(), -1) << scan.all();
    EXPECT_EQ(scan.output.find("\"address\""), std::string::npos) << scan.all();
}

TEST_F(KestrelCabinet, ServerThatIsGoneIsNamed)
{
    server_->kill();
    ProgramRun scan = runProgram(args(server_->url(), {"scan"}));
    EXPECT_EQ(scan.exitCode(), kExitError) << scan.all();
    EXPECT_NE(scan.all().find("refuses the connection"), std::string::npos) << scan.all();
}

TEST_F(KestrelCabinet, PortTheUserMayNotOpenNamesTheGroupDialout)
{
    if (::getuid() == 0 && !nobodyReaches(backupProgram())) GTEST_SKIP() << "nobody cannot reach " << backupProgram();
    // Root opens anything: the run drops to nobody. A mode of 0 keeps out
    // every user who is not root, the pty's owner too.
    ASSERT_EQ(::chmod(line_.path().c_str(), 0), 0);
    std::vector<std::string> a = args(line_.path(), {"scan"});
    if (::getuid() == 0)
        for (const std::string& dir : {install_.path(), out_.path(), registry_.path()})
            ::chmod(dir.c_str(), 0777);
    ProgramRun scan = ::getuid() == 0 ? runAsNobody(a) : runProgram(a);
    EXPECT_EQ(scan.exitCode(), kExitError) << scan.all();
    EXPECT_NE(scan.all().find(line_.path()), std::string::npos) << scan.all();
    EXPECT_NE(scan.all().find("group dialout"), std::string::npos) << scan.all();
}

}  // namespace
}  // namespace backup
