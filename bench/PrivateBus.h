#pragma once
// Benchmarks that talk to the link server run on a private session bus of
// their own (the build's configuration, which can activate the built
// server), never on the user's.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QMap>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

inline std::filesystem::path selfPath() { return std::filesystem::read_symlink("/proc/self/exe"); }

// Runs this program again under dbus-run-session unless marker is set, the
// sign that it already runs there. Returns only in that second run; false
// when the bus could not be started.
inline bool onPrivateBus(const char* marker)
{
    if (std::getenv(marker)) return true;
    setenv(marker, "1", 1);
    const std::string config =
        "--config-file=" + (selfPath().parent_path().parent_path() / "dbus-session.conf").string();
    const std::string self = selfPath().string();
    execl("/usr/bin/dbus-run-session", "dbus-run-session", config.c_str(), "--", self.c_str(),
          static_cast<char*>(nullptr));
    std::perror("dbus-run-session");
    return false;
}

// Runs a program to its end; its exit status, -1 when it did not run.
inline int runAndWait(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The built link server registered in a registry of its own (this process
// and the servers the bus starts use it).
inline bool registerLinkServer(const std::string& registry)
{
    const std::string tern = (selfPath().parent_path().parent_path() / "bin" / "tern").string();
    setenv("AVIARY_REGISTRY", registry.c_str(), 1);
    if (runAndWait({tern, "/RegServer"}) != 0) {
        std::fprintf(stderr, "cannot register %s\n", tern.c_str());
        return false;
    }
    qDBusRegisterMetaType<QMap<QString, QString>>();
    const QMap<QString, QString> env{{"AVIARY_REGISTRY", QString::fromStdString(registry)}};
    return QDBusConnection::sessionBus()
               .interface()
               ->call("UpdateActivationEnvironment", QVariant::fromValue(env))
               .type() == QDBusMessage::ReplyMessage;
}

}  // namespace bench
