#pragma once
// Shared pieces of the link server's tests on a private session bus: the
// process-wide set-up (Qt, a registry directory with the server registered,
// the bus's activation environment), child processes, and simulated slaves
// on pseudo-terminals mapped to COM ports.
#include <tern/automation/ModBusLinkIdentity.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/PortMap.h>
#include <platform/testing/TempDir.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QMap>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tern::testkit {

using namespace std::chrono_literals;
using StringMap = QMap<QString, QString>;

inline std::string binDir()
{
    const char* d = std::getenv("AVIARY_BIN_DIR");
    return d && *d ? d : ".";
}
inline std::string ternProgram() { return binDir() + "/tern"; }
// __FILE__ is relative to the build directory (the compiler runs there),
// not to where CTest runs a test.
inline std::string testsDir()
{
    const std::filesystem::path here = std::filesystem::path(__FILE__).parent_path();
    return here.is_absolute() ? here.string() : (std::filesystem::path(binDir()) / ".." / here).lexically_normal().string();
}

// Waits until the condition holds, for at most the given time; the result
// is the condition's last value.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 5s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return condition();
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// A child process with its standard output collected.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment = {})
    {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> env = mergedEnvironment(environment);
        std::vector<char*> argv, envp;
        std::vector<std::string> argsCopy = args;
        for (auto& a : argsCopy) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        // A group of its own, so that whatever it starts ends with it.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        if (posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        reader_ = std::thread([this, fd = out[0]] { collect(fd); });
    }
    ~ChildProcess()
    {
        if (pid_ > 0) {
            ::kill(-pid_, SIGKILL);
            if (!status_) wait(5s);
        }
        if (reader_.joinable()) reader_.join();
    }

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    void kill(int signal = SIGKILL) { ::kill(pid_, signal); }
    // The exit status once the process has ended within the wait.
    std::optional<int> wait(std::chrono::milliseconds limit)
    {
        eventually([this] {
            int status = 0;
            if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
            return status_.has_value();
        }, limit);
        return status_;
    }
    std::string output()
    {
        std::lock_guard lock(mutex_);
        return output_;
    }
    // The whole output of a process that has ended: its last bytes may still
    // be in the pipe when wait() returns. Bounded, since a process it started
    // may hold the pipe open.
    std::string finalOutput(std::chrono::milliseconds limit = 2s)
    {
        eventually([this] { return readerDone_.load(); }, limit);
        return output();
    }

private:
    static std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& overrides)
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            if (!overrides.count(entry.substr(0, entry.find('=')))) env.push_back(entry);
        }
        for (const auto& [name, value] : overrides)
            if (!value.empty()) env.push_back(name + "=" + value);
        return env;
    }
    void collect(int fd)
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0 && !(n < 0 && errno == EINTR)) break;
            if (n > 0) {
                std::lock_guard lock(mutex_);
                output_.append(buffer, static_cast<size_t>(n));
            }
        }
        close(fd);
        readerDone_ = true;
    }

    pid_t pid_ = -1;
    std::optional<int> status_;
    std::mutex mutex_;
    std::string output_;
    std::atomic<bool> readerDone_{false};
    std::thread reader_;
};

inline bool exitedWith(const std::optional<int>& status, int code)
{
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

// Process-wide set-up. A test process started as a helper (TERN_TEST_ROLE
// set) only gets its Qt application and the parent's registry.
class TernBusEnvironment : public ::testing::Environment {
public:
    static const std::string& registryDirectory() { return directory(); }

    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "tern-dbustest";
        static char* argv[] = {name, nullptr};
        // Lives until the process ends: Qt's own globals are gone by the
        // time the environment would be destroyed.
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        if (std::getenv("TERN_TEST_ROLE")) return;
        registry_ = std::make_unique<platform::testing::TempDir>();
        directory() = registry_->path();
        setenv("AVIARY_REGISTRY", directory().c_str(), 1);
        ChildProcess reg({ternProgram(), "/RegServer"});
        ASSERT_TRUE(exitedWith(reg.wait(10s), 0)) << "tern /RegServer failed";
        qDBusRegisterMetaType<StringMap>();
        StringMap env{{"AVIARY_REGISTRY", QString::fromStdString(directory())},
                      {"AVIARY_TERN_IDLE_MS", "300"},
                      {"AVIARY_TERN_EXIT_WAIT_MS", "0"}};
        const QDBusMessage reply = QDBusConnection::sessionBus().interface()->call(
            "UpdateActivationEnvironment", QVariant::fromValue(env));
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    void TearDown() override { registry_.reset(); }

private:
    static std::string& directory()
    {
        static std::string d;
        return d;
    }
    std::unique_ptr<platform::testing::TempDir> registry_;
};

// A simulated slave (units 1 and 2, registers filled) on a pseudo-terminal
// that the server reaches as COM<n>.
class PtySlave {
public:
    explicit PtySlave(int comPort, sim::ModbusRunnerOptions options = {}) : runner_(model_, options)
    {
        model_.fill();
        std::string error;
        ok_ = runner_.startPty(error) && platform::setComPortDevice(comPort, runner_.ptyPath());
        error_ = error;
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    sim::ModbusMapModel& model() { return model_; }
    sim::ModbusSlaveRunner& runner() { return runner_; }
    uint16_t holding(uint16_t address) const
    {
        return model_.value(sim::ModbusTable::HoldingRegisters, 1, address);
    }

private:
    sim::ModbusMapModel model_{{1, 2}, 2000};
    sim::ModbusSlaveRunner runner_;
    bool ok_ = false;
    std::string error_;
};

// The tests' own bus configuration without its service directories, written
// into dir: a bus on which the server cannot be activated.
inline std::string busConfigWithoutActivation(const platform::testing::TempDir& dir)
{
    std::ifstream in(binDir() + "/../dbus-session.conf");
    std::string text, line;
    while (std::getline(in, line))
        if (line.find("servicedir") == std::string::npos) text += line + "\n";
    return dir.write("bus.conf", text);
}

// Whether the link server owns its bus name now.
inline bool serverRunning()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(QLatin1String(identity::kBusName)).value();
}

}  // namespace tern::testkit
