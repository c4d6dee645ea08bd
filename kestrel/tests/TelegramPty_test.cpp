// The telegram object on a real serial device: a pseudo-terminal whose other
// side is the SIO simulator, in-process and as the aviary-sim program.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/KestrelState.h>
#include <sim/sio/SioSimRunner.h>
#include <platform/PseudoTerminal.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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
    sim::SioBus bus(*sim::SioBus::parseDrives("2:1808"));
    platform::PseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.open(error, true)) << error;
    sim::SioSimRunner runner(bus, pty.masterFd());
    ASSERT_TRUE(runner.start());
    useDevice(pty.slavePath());
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

// The simulator program with its standard input and output on pipes.
class SimProgram {
public:
    bool start(const std::string& program, const std::string& drives)
    {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::close(in[1]);
            ::close(out[0]);
            ::execl(program.c_str(), program.c_str(), "sio", "--pty", "--drives", drives.c_str(), "--baud", "19200",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
        return pid_ > 0;
    }
    // One line of its output, waiting at most 5 s.
    std::string line()
    {
        std::string s;
        char c;
        while (true) {
            pollfd p{fromChild_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0 || ::read(fromChild_, &c, 1) != 1 || c == '\n') return s;
            s += c;
        }
    }
    void say(const std::string& command)
    {
        const std::string l = command + "\n";
        ASSERT_EQ(::write(toChild_, l.data(), l.size()), static_cast<ssize_t>(l.size()));
    }
    int stop()
    {
        say("quit");
        int status = 0;
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) return status;
            ::usleep(20000);
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        return -1;
    }
    ~SimProgram()
    {
        if (toChild_ >= 0) ::close(toChild_);
        if (fromChild_ >= 0) ::close(fromChild_);
    }
private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
};

TEST(TelegramPty, SimulatorProgramServesAPtyAndTakesKeypadCommands)
{
    // The programs are built next to the tests.
    const char* bin = std::getenv("AVIARY_BIN_DIR");
    const std::string dir = bin ? std::string(bin) : std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    const std::string program = dir + "/aviary-sim";
    // The tree always builds it: a missing program is a fault, not a reason to pass.
    ASSERT_TRUE(std::filesystem::exists(program)) << program << " is not built";
    SimProgram sim;
    ASSERT_TRUE(sim.start(program, "3:1812"));
    const std::string first = sim.line();
    ASSERT_EQ(first.rfind("PTY /dev/", 0), 0u) << first;
    useDevice(first.substr(4));
    // Another process answers here, and a loaded machine may hold it up longer
    // than the in-process tests allow; the keypad report is handed out once,
    // so a reply taken too early would be lost to the repeat.
    state().settings.tWait = 300;
    sim.say("keypad 3 42 7");
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
    sim.say("status 3");
    EXPECT_EQ(sim.line().substr(0, 16), "status 3 E8=2007");
    EXPECT_EQ(sim.stop(), 0);
    ::unsetenv("AVIARY_COM7");
    state().reset();
}

}  // namespace
}  // namespace kestrel
