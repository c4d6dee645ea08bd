// Merlin's link through the real link server on a private session bus,
// against `aviary-sim merlin` on a pseudo-terminal: registers read and
// written as the drive holds them, Modbus failures as result codes, and a
// link server that cannot be had reported once, without a hang.
#include <merlin/link/CTernLink.h>
#include <merlin/link/LinkProfile.h>
#include <tern/tests/ServerBusTesting.h>

#include <platform/PortMap.h>
#include <platform/RegistryStore.h>
#include <platform/testing/ScriptedResponder.h>


namespace merlin {
namespace {

using namespace tern::testkit;
using platform::MsgIcon;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TernBusEnvironment);

constexpr int kCom = 2;
constexpr int kUnit = 1;
// LM3_Normal_V3: identification registers and a parameter the user may set.
constexpr int kSoftwareVersion = 996;
constexpr int kDeviceType = 998;

// The simulator program serving one drive on a new pseudo-terminal, reached as COM2.
class SimulatedDrive {
public:
    SimulatedDrive()
        : sim_({binDir() + "/aviary-sim", "merlin", "--pty", "--drive", "LM3_Normal_V3.dpf@1"})
    {
        eventually([this] { return sim_.output().find('\n') != std::string::npos; }, 10s);
        const std::string out = sim_.output();
        if (out.rfind("PTY ", 0) == 0) path_ = out.substr(4, out.find('\n') - 4);
        ok_ = !path_.empty() && platform::setComPortDevice(kCom, path_);
    }
    bool ok() const { return ok_; }

private:
    ChildProcess sim_;
    std::string path_;
    bool ok_ = false;
};

LinkSettings testSettings()
{
    LinkSettings s;
    s.comPort = kCom;
    s.baudRate = 19200;
    s.timeoutMs = 300;
    s.requestDelayMs = 1;
    return s;
}

TEST(TernLink, ReadsAndWritesTheDrivesRegisters)
{
    SimulatedDrive drive;
    ASSERT_TRUE(drive.ok());
    platform::testing::ScriptedResponder noMessages([](const std::string& f) { ADD_FAILURE() << f; });
    CTernLink link(testSettings());
    ASSERT_TRUE(link.IsStarted());
    ASSERT_TRUE(link.OpenLink());

    uint16_t value = 0;
    ASSERT_EQ(link.ReadRegister(kUnit, kSoftwareVersion, value), kLinkOk);
    EXPECT_EQ(value, 3);
    ASSERT_EQ(link.ReadRegister(kUnit, kDeviceType, value), kLinkOk);
    EXPECT_EQ(value, 8);

    // Control word 1 (40201) takes any value and keeps it.
    EXPECT_EQ(link.WriteRegister(kUnit, 201, 0xFFFF), kLinkOk);
    value = 0;
    ASSERT_EQ(link.ReadRegister(kUnit, 201, value), kLinkOk);
    EXPECT_EQ(value, 0xFFFF);
    EXPECT_EQ(link.WriteRegister(kUnit, 201, 0), kLinkOk);

    // Read-only register and a register the drive does not have: exception 2;
    // a failed read leaves the value alone.
    EXPECT_EQ(link.WriteRegister(kUnit, kSoftwareVersion, 9), linkException(2));
    value = 0x1234;
    EXPECT_EQ(link.ReadRegister(kUnit, 9999, value), linkException(2));
    EXPECT_EQ(value, 0x1234);
    link.CloseLink();
}

TEST(TernLink, AbsentStationTimesOutWithTheScansTimeOutAndRetries)
{
    SimulatedDrive drive;
    ASSERT_TRUE(drive.ok());
    CTernLink link(testSettings());
    ASSERT_TRUE(link.OpenLinkWithTimeout(100));
    link.SetRetries(1);
    uint16_t value = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.ReadRegister(7, kSoftwareVersion, value), kLinkTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    link.RestoreRetries();
    EXPECT_EQ(link.ReadRegister(kUnit, kSoftwareVersion, value), kLinkOk);
    // Two links share the one connection and the one port.
    CTernLink second(testSettings());
    ASSERT_TRUE(second.OpenLink());
    EXPECT_EQ(second.ReadRegister(kUnit, kDeviceType, value), kLinkOk);
    EXPECT_EQ(value, 8);
    EXPECT_EQ(link.ReadRegister(kUnit, kSoftwareVersion, value), kLinkOk);
    EXPECT_EQ(value, 3);
}

TEST(TernLinkSettings, ProfileKeysAndDefaults)
{
    platform::testing::TempDir dir;
    platform::RegistryStore store(dir.path());
    platform::Profile profile("Aviary Drives", "Merlin", store);
    const LinkSettings defaults = loadLinkSettings(profile);
    EXPECT_EQ(defaults.comPort, 1);
    EXPECT_EQ(defaults.retries, 3);
    EXPECT_EQ(defaults.timeoutMs, 1000u);
    EXPECT_EQ(defaults.requestDelayMs, 70u);
    EXPECT_EQ(defaults.silentIntervalMs, 0u);

    LinkSettings changed{4, 38400, 7, 250, 5, 20};
    ASSERT_TRUE(saveLinkSettings(profile, changed));
    EXPECT_EQ(profile.getString("Settings", "Baud"), "38400");
    EXPECT_EQ(profile.getInt("Times", "ModBus Silent Interval", -1), 20);
    const LinkSettings back = loadLinkSettings(profile);
    EXPECT_EQ(back.comPort, 4);
    EXPECT_EQ(back.baudRate, 38400);
    EXPECT_EQ(back.retries, 7);
    EXPECT_EQ(back.timeoutMs, 250u);
    EXPECT_EQ(back.requestDelayMs, 5u);
    EXPECT_EQ(back.silentIntervalMs, 20u);
    // A baud text that is no number leaves the default.
    profile.writeString("Settings", "Baud", "fast");
    EXPECT_EQ(loadLinkSettings(profile).baudRate, LinkSettings{}.baudRate);
}

// ---- the link server cannot be had ------------------------------------------

// Runs as a child in the unavailable set-ups below.
TEST(TernLinkHelper, NoServerMeansOneMessageAndFailingCalls)
{
    if (!std::getenv("TERN_TEST_ROLE")) GTEST_SKIP() << "runs as a child of TernLinkUnavailable";
    platform::testing::ScriptedResponder responder([](const std::string& f) { ADD_FAILURE() << f; });
    responder.expect("Unable to Start Link Server", MsgIcon::Exclamation);
    CTernLink link(testSettings());
    EXPECT_FALSE(link.IsStarted());
    EXPECT_FALSE(link.OpenLink());
    EXPECT_FALSE(link.OpenLinkWithTimeout(100));
    uint16_t value = 77;
    EXPECT_EQ(link.ReadRegister(kUnit, kSoftwareVersion, value), kLinkCallFailed);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(link.WriteRegister(kUnit, 201, 1), kLinkCallFailed);
    link.SetRetries(2);
    link.CloseLink();
    EXPECT_TRUE(responder.verify());
}

std::string selfProgram() { return std::filesystem::read_symlink("/proc/self/exe").string(); }
const char* const kHelper = "--gtest_filter=TernLinkHelper.NoServerMeansOneMessageAndFailingCalls";

TEST(TernLinkUnavailable, NoSessionBus)
{
    ChildProcess child({selfProgram(), kHelper},
                       {{"TERN_TEST_ROLE", "nobus"}, {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"}});
    EXPECT_TRUE(exitedWith(child.wait(10s), 0)) << child.output();
    EXPECT_NE(child.finalOutput().find("[  PASSED  ] 1 test"), std::string::npos) << child.output();
}

TEST(TernLinkUnavailable, ServerProgramMissing)
{
    // A bus that cannot start the server, and a registration whose program is gone.
    platform::testing::TempDir dir;
    const std::string config = busConfigWithoutActivation(dir);
    {
        platform::RegistryStore store(dir.path());
        const std::string clsid = tern::identity::kClsid;
        store.setString(platform::Hive::ClassesRoot, std::string(tern::identity::kProgId) + "\\CLSID", "", clsid);
        store.setString(platform::Hive::ClassesRoot, "CLSID\\" + clsid + "\\LocalServer32", "",
                        dir.path() + "/gone/tern");
    }
    ChildProcess child({"/usr/bin/dbus-run-session", "--config-file=" + config, "--", selfProgram(), kHelper},
                       {{"TERN_TEST_ROLE", "missing"}, {"AVIARY_REGISTRY", dir.path()}});
    EXPECT_TRUE(exitedWith(child.wait(15s), 0)) << child.output();
    EXPECT_NE(child.finalOutput().find("[  PASSED  ] 1 test"), std::string::npos) << child.output();
}

}  // namespace
}  // namespace merlin
