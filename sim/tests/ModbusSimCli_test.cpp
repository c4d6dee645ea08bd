// The simulator's command line: argument checks, and a real run in a child
// process that mbpoll (an independent Modbus master) talks to over TCP and
// over the printed pseudo-terminal, ended by SIGTERM.
#include <sim/modbus/ModbusSimCli.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace sim {
namespace {

int runCli(std::vector<std::string> args) {
    args.insert(args.begin(), "modbus");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return modbusSimMain(static_cast<int>(args.size()), argv.data());
}

TEST(ModbusSimCli, RefusesBadArgumentsWithUsage) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(runCli({}), 2);
    EXPECT_EQ(runCli({"--pty", "--tcp", "0"}), 2);
    EXPECT_EQ(runCli({"--tcp"}), 2);
    EXPECT_EQ(runCli({"--tcp", "70000"}), 2);
    EXPECT_EQ(runCli({"--pty", "--unit", "0"}), 2);
    EXPECT_EQ(runCli({"--pty", "--fault", "sometimes"}), 2);
    EXPECT_EQ(runCli({"--pty", "--fill", "--registers", "x"}), 2);
    EXPECT_EQ(runCli({"--pty", "--colour"}), 2);
    // Values after '=' meet the same checks; a flag takes none.
    EXPECT_EQ(runCli({"--tcp=70000"}), 2);
    EXPECT_EQ(runCli({"--pty", "--unit=0"}), 2);
    EXPECT_EQ(runCli({"--pty", "--fill=yes"}), 2);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("modbus: unknown option --colour"), std::string::npos);
    EXPECT_NE(messages.find("modbus: --tcp: bad value '70000'"), std::string::npos);
    EXPECT_NE(messages.find("modbus: --unit: 0 is the broadcast address"), std::string::npos);
    EXPECT_NE(messages.find("modbus: unknown option --fill=yes"), std::string::npos);
    EXPECT_NE(messages.find("usage: aviary-sim modbus"), std::string::npos);
}

TEST(ModbusSimCli, BadRegistersFileNamesTheLine) {
    platform::testing::TempDir dir;
    const std::string file = dir.write("regs.txt", "holding 1 0 5\nholding 1 x 5\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(runCli({"--pty", "--registers", file}), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "modbus: " + file + ":2: bad address 'x'\n");
}

// The simulator in a child process; its first output line says where it is.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            ::_exit(runCli(std::move(args)));
        }
        ::close(out[1]);
        FILE* in = ::fdopen(out[0], "r");
        char line[256] = {};
        if (in && std::fgets(line, sizeof line, in)) where = line;
        if (in) std::fclose(in);
    }
    // Exit status after SIGTERM (-1 when it did not exit normally).
    int terminate() {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~SimProcess() { terminate(); }

    std::string where;

private:
    pid_t pid_ = -1;
};

std::string run(const std::string& command) {
    std::string output;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return output;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), buffer.size(), p)) output += buffer.data();
    ::pclose(p);
    return output;
}

TEST(ModbusSimCli, ServesMbpollOverTcp) {
    platform::testing::TempDir dir;
    const std::string file = dir.write("regs.txt", "holding 3 10 111 222 # two values\n");
    SimProcess sim({"--tcp=0", "--registers=" + file});
    ASSERT_EQ(sim.where.rfind("TCP 127.0.0.1:", 0), 0u) << sim.where;
    const std::string port = sim.where.substr(14, sim.where.size() - 15);
    const std::string out = run("mbpoll -m tcp -p " + port + " -a 3 -0 -r 10 -c 2 -1 127.0.0.1 2>&1");
    EXPECT_NE(out.find("[10]: \t111"), std::string::npos) << out;
    EXPECT_NE(out.find("[11]: \t222"), std::string::npos) << out;
    EXPECT_EQ(sim.terminate(), 0);
}

TEST(ModbusSimCli, ServesMbpollOnItsPseudoTerminal) {
    SimProcess sim({"--pty", "--fill", "--unit", "2", "--baud", "19200"});
    ASSERT_EQ(sim.where.rfind("PTY /dev/", 0), 0u) << sim.where;
    const std::string path = sim.where.substr(4, sim.where.size() - 5);
    const std::string out = run("mbpoll -m rtu -b 19200 -P none -a 2 -0 -r 5 -c 2 -1 " + path + " 2>&1");
    EXPECT_NE(out.find("[5]: \t2005"), std::string::npos) << out;
    EXPECT_NE(out.find("[6]: \t2006"), std::string::npos) << out;
    const std::string write = run("mbpoll -m rtu -b 19200 -P none -a 2 -0 -r 7 " + path + " 4321 2>&1");
    EXPECT_NE(write.find("Written 1 references"), std::string::npos) << write;
    const std::string back = run("mbpoll -m rtu -b 19200 -P none -a 2 -0 -r 7 -1 " + path + " 2>&1");
    EXPECT_NE(back.find("[7]: \t4321"), std::string::npos) << back;
    EXPECT_EQ(sim.terminate(), 0);
}

}  // namespace
}  // namespace sim
