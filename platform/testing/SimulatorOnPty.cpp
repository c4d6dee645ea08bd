#include <platform/testing/SimulatorOnPty.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform::testing {

namespace {

using Clock = std::chrono::steady_clock;

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

SimulatorOnPty::SimulatorOnPty(std::vector<std::string> args, std::chrono::milliseconds startLimit)
{
    if (!start(std::move(args)))
        return;
    const std::string first = line(startLimit);
    if (first.rfind("PTY /dev/", 0) != 0) {
        error_ = "the simulator said \"" + first + "\" where its pseudo-terminal was expected";
        return;
    }
    path_ = first.substr(4);
}

SimulatorOnPty::~SimulatorOnPty()
{
    if (pid_ > 0) {
        // Its group: anything it started ends with it.
        ::kill(-pid_, SIGKILL);
        reap(std::chrono::seconds(5));
    }
    closeFd(toChild_);
    closeFd(fromChild_);
}

bool SimulatorOnPty::start(std::vector<std::string> args)
{
    const char* bin = std::getenv("AVIARY_BIN_DIR");
    if (bin == nullptr || *bin == '\0') {
        error_ = "AVIARY_BIN_DIR is not set: the simulator cannot be found";
        return false;
    }
    const std::string program = std::string(bin) + "/aviary-sim";
    if (::access(program.c_str(), X_OK) != 0) {
        error_ = program + " is not built";
        return false;
    }
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = ::posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
    if (spawned != 0) {
        pid_ = -1;
        error_ = program + ": " + std::strerror(spawned);
        return false;
    }
    return true;
}

bool SimulatorOnPty::say(const std::string& command)
{
    const std::string text = command + "\n";
    size_t done = 0;
    while (toChild_ >= 0 && done < text.size()) {
        const ssize_t n = ::write(toChild_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return done == text.size();
}

std::string SimulatorOnPty::line(std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    for (;;) {
        if (const size_t nl = buffered_.find('\n'); nl != std::string::npos) {
            std::string l = buffered_.substr(0, nl);
            buffered_.erase(0, nl + 1);
            return l;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (fromChild_ < 0 || left <= 0)
            return {};
        pollfd p{fromChild_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return {};
        char chunk[256];
        const ssize_t n = ::read(fromChild_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return {};  // it ended
        buffered_.append(chunk, static_cast<size_t>(n));
    }
}

int SimulatorOnPty::stop(const std::string& quitCommand, std::chrono::milliseconds limit)
{
    if (pid_ <= 0)
        return -1;
    if (quitCommand.empty() || !say(quitCommand))
        ::kill(pid_, SIGTERM);
    const int code = reap(limit);
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);
        reap(std::chrono::seconds(5));
    }
    return code;
}

int SimulatorOnPty::reap(std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (r < 0 && errno != EINTR) {
            pid_ = -1;
            return -1;
        }
        if (Clock::now() > end)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace platform::testing
