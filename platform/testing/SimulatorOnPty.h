#pragma once
// The simulator program (aviary-sim, from $AVIARY_BIN_DIR) in a child
// process on a pseudo-terminal of its own: it is started with the given
// arguments (say "sio --pty --drives 3:1812"), and its first output line,
// "PTY <device>", tells where the port under test opens. Its standard input
// takes the simulator's commands. It is stopped by its pid and always
// reaped: the destructor kills whatever is still running.
#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::testing {

class SimulatorOnPty {
public:
    explicit SimulatorOnPty(std::vector<std::string> args,
                            std::chrono::milliseconds startLimit = std::chrono::seconds(10));
    ~SimulatorOnPty();
    SimulatorOnPty(const SimulatorOnPty&) = delete;
    SimulatorOnPty& operator=(const SimulatorOnPty&) = delete;

    // The simulator runs and said where its pseudo-terminal is; else error() says why.
    bool ok() const { return !path_.empty(); }
    const std::string& error() const { return error_; }
    // The device the port under test opens ("/dev/pts/7").
    const std::string& path() const { return path_; }
    pid_t pid() const { return pid_; }

    // Sends one command line to its standard input.
    bool say(const std::string& command);
    // Its next output line, without the newline; empty after the limit.
    std::string line(std::chrono::milliseconds limit = std::chrono::seconds(5));
    // Ends it (with quitCommand on its input, else SIGTERM) and waits for it;
    // its exit code, or -1 when it did not exit by itself in time.
    int stop(const std::string& quitCommand = {}, std::chrono::milliseconds limit = std::chrono::seconds(5));

private:
    bool start(std::vector<std::string> args);
    int reap(std::chrono::milliseconds limit);

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string buffered_;
    std::string path_;
    std::string error_;
};

}  // namespace platform::testing
