// The link server a client starts on demand outlives the client by its idle
// time; it must not hold the client's standard streams meanwhile, or a
// caller reading the client's output (out=$(aviary-backup ...)) waits for
// the server to end as well.
#include <backup/tests/BackupTesting.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace backup {
namespace {

TEST(TernStartedOnDemand, LetsGoOfTheCallersOutputAtOnce)
{
    platform::testing::TempDir registry;
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    const std::string program = tern::testkit::binDir() + "/tern";
    std::vector<std::string> env{"AVIARY_REGISTRY=" + registry.path(), "AVIARY_TERN_IDLE_MS=8000"};
    if (const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS")) env.push_back(std::string("DBUS_SESSION_BUS_ADDRESS=") + bus);
    std::vector<char*> envp, argv{const_cast<char*>(program.c_str()), const_cast<char*>("-Embedding"), nullptr};
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    // The pipe ends while the server still runs (it idles for 8 s).
    pollfd p{out[0], POLLIN, 0};
    bool ended = false;
    for (int polls = 0; polls < 50 && !ended; ++polls) {
        if (poll(&p, 1, 100) == 1) {
            char c;
            ended = read(out[0], &c, 1) == 0;
        }
    }
    int status = 0;
    const bool running = waitpid(pid, &status, WNOHANG) == 0;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    close(out[0]);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(running);
}

}  // namespace
}  // namespace backup
