#pragma once
// Benchmarks that talk to the link server run on a private session bus of
// their own (the build's configuration, which can activate the built
// server), never on the user's.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

}  // namespace bench
