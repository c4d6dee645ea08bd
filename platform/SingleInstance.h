#pragma once
// One running instance per program and user, known by the program's window
// class name. The first instance holds a lock file and
// listens on a local socket; a second start connects, asks the first to come
// to the front, and ends.
#include <functional>
#include <string>

namespace platform {

class SingleInstance {
public:
    // name: the program's window class name (getSoftwareName()).
    explicit SingleInstance(std::string name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process is the first instance. False: another runs and
    // has been asked to come to the front.
    bool acquire();
    // File descriptor to watch for activation requests (e.g. QSocketNotifier);
    // -1 when not the first instance.
    int activationFd() const { return listenFd_; }
    // Accepts pending requests; calls onActivate once per request.
    int serviceActivations(const std::function<void()>& onActivate);
    // Directory of the lock and socket files ($XDG_RUNTIME_DIR, else /tmp).
    static std::string runtimeDirectory();

private:
    std::string name_;
    std::string lockPath_;
    std::string socketPath_;
    int lockFd_ = -1;
    int listenFd_ = -1;
};

}  // namespace platform
