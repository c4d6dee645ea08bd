// aviary-backup on a Modbus drive in a far cabinet, through the link server:
// the simulator sits behind a real ser2net on loopback, as behind a serial
// device server, and the drive is saved with its own values over RFC 2217
// and over raw TCP.
#include <backup/tests/MerlinCabinetLine.h>

namespace backup {
namespace {

using namespace backup::testing;
using platform::testing::Ser2netServer;
using namespace std::chrono_literals;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new tern::testkit::TernBusEnvironment);

class MerlinCabinet : public ::testing::TestWithParam<Ser2netServer::Kind> {
protected:
    void SetUp() override
    {
        if (!Ser2netServer::available()) GTEST_SKIP() << "ser2net is not installed (scripts/install-deps.sh)";
        std::string error;
        ASSERT_TRUE(line_.start(GetParam(), error)) << error;
    }
    MerlinCabinetLine line_;
};

TEST_P(MerlinCabinet, BackupThroughTheLinkServerGivesTheDrivesValues)
{
    ProgramRun backup = runProgram(line_.args("100", {"backup", "2"}), 9s);
    ASSERT_EQ(backup.exitCode(), 0) << backup.all();
    const std::string file = onlyBackupFile(line_.outDir(), "02_NEW_merlin-");
    ASSERT_FALSE(file.empty());
    ProgramRun diff = runProgram(line_.args("100", {"diff", "2", file}), 9s);
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
