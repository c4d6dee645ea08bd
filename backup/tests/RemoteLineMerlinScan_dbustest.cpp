// The network scan of aviary-backup on a Modbus line in a far cabinet, through
// the link server and a real ser2net on loopback (RFC 2217): the drive is
// found with its type.
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

class MerlinCabinetScan : public ::testing::Test {
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
        server_ = std::make_unique<Ser2netServer>(runner_.ptyPath(), Ser2netServer::Kind::Rfc2217, "19200n81");
        ASSERT_TRUE(server_->ok()) << server_->error();
        ASSERT_TRUE(platform::setComPortDevice(kCom, server_->url()));
    }
    std::vector<std::string> args(std::vector<std::string> command) const
    {
        std::vector<std::string> a{"--family", "merlin", "--port", "COM3", "--install", install_.path(), "--dir",
                                   out_.path(), "--timeout", "60", "--delay", "1", "--retries", "1"};
        a.insert(a.end(), command.begin(), command.end());
        return a;
    }

    platform::testing::TempDir install_, out_;
    sim::MerlinDriveModel model_;
    sim::ModbusSlaveRunner runner_{model_, {}};
    std::unique_ptr<Ser2netServer> server_;
};

TEST_F(MerlinCabinetScan, ScanOverRfc2217ThroughTheLinkServerFindsTheDrive)
{
    ProgramRun scan = runProgram(args({"--json", "scan"}), 9s);
    ASSERT_EQ(scan.exitCode(), 0) << scan.all();
    EXPECT_NE(scan.all().find("{\"address\": 2, \"name\": \"NEW\", \"type\": \"LM3 Normal V3\"}"), std::string::npos)
        << scan.all();
}

}  // namespace
}  // namespace backup
