// aviary-backup on a Modbus drive in a far cabinet, through the link server:
// the simulator sits behind a real ser2net on loopback, as behind a serial
// device server, and the drive is saved with its own values over RFC 2217
// and over raw TCP.
#include <backup/lib/BackupRun.h>
#include <backup/lib/ProgressBar.h>
#include <backup/tests/BackupTesting.h>

#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>

#include <platform/PortMap.h>
#include <platform/testing/Ser2netServer.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

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

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new tern::testkit::TernBusEnvironment);

// ---- the Merlin family through the link server ----------------------------

constexpr int kCom = 3;

class MerlinCabinet : public ::testing::TestWithParam<Ser2netServer::Kind> {
protected:
    void SetUp() override
    {
        if (!Ser2netServer::available()) GTEST_SKIP() << "ser2net is not installed (scripts/install-deps.sh)";
        std::filesystem::create_directory_symlink(tern::testkit::binDir() + "/DeviceData",
                                                  install_.path() + "/DeviceData");
        std::string error;
        auto drive = sim::loadDrive(sim::defaultDefinitionDirectory(), "LM3_Normal_V3.dpf", 0, error);
        ASSERT_TRUE(drive) << error;
        model_.addDrive(2, std::move(drive));
        ASSERT_TRUE(runner_.startPty(error)) << error;
        // ser2net starts the line at 19200 for the raw bridge: nobody sets it.
        server_ = std::make_unique<Ser2netServer>(runner_.ptyPath(), GetParam(), "19200n81");
        ASSERT_TRUE(server_->ok()) << server_->error();
        ASSERT_TRUE(platform::setComPortDevice(kCom, server_->url()));
    }
    std::vector<std::string> args(std::vector<std::string> command) const
    {
        std::vector<std::string> a{"--family", "merlin", "--port", "COM3", "--install", install_.path(), "--dir",
                                   out_.path(), "--timeout", "100", "--delay", "1", "--retries", "1"};
        a.insert(a.end(), command.begin(), command.end());
        return a;
    }

    platform::testing::TempDir install_, out_;
    sim::MerlinDriveModel model_;
    sim::ModbusSlaveRunner runner_{model_, {}};
    std::unique_ptr<Ser2netServer> server_;
};

TEST_P(MerlinCabinet, BackupThroughTheLinkServerGivesTheDrivesValues)
{
    ProgramRun backup = runProgram(args({"backup", "2"}), 9s);
    ASSERT_EQ(backup.exitCode(), 0) << backup.all();
    const std::string file = onlyBackupFile(out_.path(), "02_NEW_merlin-");
    ASSERT_FALSE(file.empty());
    ProgramRun diff = runProgram(args({"diff", "2", file}), 9s);
    EXPECT_EQ(diff.exitCode(), 0) << diff.all();
}

INSTANTIATE_TEST_SUITE_P(Rfc2217AndRaw, MerlinCabinet,
                         ::testing::Values(Ser2netServer::Kind::Rfc2217, Ser2netServer::Kind::Raw),
                         [](const auto& info) {
                             return info.param == Ser2netServer::Kind::Rfc2217 ? std::string("Rfc2217")
                                                                               : std::string("Raw");
                         });

}  // namespace
}  // namespace backup
