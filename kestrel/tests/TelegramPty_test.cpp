// The telegram object on a real serial device: a pseudo-terminal whose other
// side is the SIO simulator, in-process and as the aviary-sim program.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/KestrelState.h>
#include <sim/tests/SioDrivesOnPty.h>
#include <platform/testing/SimulatorOnPty.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kestrel {
namespace {

void useDevice(const std::string& path)
{
    state().reset();
    ::setenv("AVIARY_COM7", path.c_str(), 1);
    state().settings.port = 7;
    state().settings.repeat = 3;
    state().settings.tRts = 1;
    state().settings.tWait = 10;
}

TEST(TelegramPty, ExchangesWithTheSimulatorOnAPseudoTerminal)
{
    sim::testing::SioDrivesOnPty drives;
    std::string error;
    ASSERT_TRUE(drives.start("2:1808", error)) << error;
    useDevice(drives.path());
    {
        CTelegram t;
        state().currentAddress = "2";
        ASSERT_TRUE(t.OpenPort(false));
        ASSERT_TRUE(t.ReadParameter("00E4"));
        EXPECT_EQ(t.valueText(), "0710");
        ASSERT_TRUE(t.WriteParameter("00310003"));
        ASSERT_TRUE(t.ReadBlock("FFFF"));
        EXPECT_EQ(t.valueText().substr(0, 5), "U0000");
        t.ClosePort(false);
        // The port is opened per operation: a second one works as well.
        ASSERT_TRUE(t.OpenPort(false));
        ASSERT_TRUE(t.ReadParameter("0031"));
        EXPECT_EQ(t.valueText(), "0003");
        t.ClosePort(false);
    }
    ::unsetenv("AVIARY_COM7");
    state().reset();
}

TEST(TelegramPty, MissingDeviceIsAPortError)
{
    useDevice("/dev/no-such-serial-device");
    CTelegram t;
    EXPECT_FALSE(t.OpenPort(false));
    EXPECT_TRUE(t.portError());
    EXPECT_FALSE(t.ReadParameter("00E4"));
    EXPECT_EQ(t.status(), -1);
    ::unsetenv("AVIARY_COM7");
    state().reset();
}

TEST(TelegramPty, SimulatorProgramServesAPtyAndTakesKeypadCommands)
{
    // The program "aviary-sim" in a child process. The tree always builds
    // it: a missing one is a fault, not a reason to pass.
    platform::testing::SimulatorOnPty sim({"sio", "--pty", "--drives", "3:1812", "--baud", "19200"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    useDevice(sim.path());
    // Another process answers here, and a loaded machine may hold it up longer
    // than the in-process tests allow; the keypad report is handed out once,
    // so a reply taken too early would be lost to the repeat.
    state().settings.tWait = 300;
    ASSERT_TRUE(sim.say("keypad 3 42 7"));
    EXPECT_EQ(sim.line(), "ok keypad 3 0042=0007");
    {
        CTelegram t;
        state().currentAddress = "3";
        ASSERT_TRUE(t.OpenPort(false));
        ASSERT_TRUE(t.ReadParameter("FFFC"));
        EXPECT_EQ(t.paramNo(), "0042");
        EXPECT_EQ(t.valueText(), "0007");
        ASSERT_TRUE(t.WriteParameter("00AD0080"));
        t.ClosePort(false);
    }
    ASSERT_TRUE(sim.say("status 3"));
    EXPECT_EQ(sim.line().substr(0, 16), "status 3 E8=2007");
    EXPECT_EQ(sim.stop("quit"), 0);
    ::unsetenv("AVIARY_COM7");
    state().reset();
}

}  // namespace
}  // namespace kestrel
