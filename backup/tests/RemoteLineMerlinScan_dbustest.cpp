// The network scan of aviary-backup on a Modbus line in a far cabinet, through
// the link server and a real ser2net on loopback (RFC 2217): the drive is
// found with its type.
#include <backup/tests/MerlinCabinetLine.h>

namespace backup {
namespace {

using namespace backup::testing;
using platform::testing::Ser2netServer;
using namespace std::chrono_literals;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new tern::testkit::TernBusEnvironment);

class MerlinCabinetScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Ser2netServer::available()) GTEST_SKIP() << "ser2net is not installed (scripts/install-deps.sh)";
        std::string error;
        ASSERT_TRUE(line_.start(Ser2netServer::Kind::Rfc2217, error)) << error;
    }
    MerlinCabinetLine line_;
};

TEST_F(MerlinCabinetScan, ScanOverRfc2217ThroughTheLinkServerFindsTheDrive)
{
    ProgramRun scan = runProgram(line_.args("60", {"--json", "scan"}), 9s);
    ASSERT_EQ(scan.exitCode(), 0) << scan.all();
    EXPECT_NE(scan.all().find("{\"address\": 2, \"name\": \"NEW\", \"type\": \"LM3 Normal V3\"}"), std::string::npos)
        << scan.all();
}

}  // namespace
}  // namespace backup
