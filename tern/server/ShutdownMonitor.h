#pragma once
// Watches for the server going idle: after the lock count dropped to 0, it
// waits until the idle time passes with no further drop; if the count is
// still 0 then, it calls onIdle and goes back to waiting. onIdle decides, on
// the thread that creates objects, whether the server really ends: it
// suspends the class object, checks the count once more, and quits or
// resumes.
#include <tern/server/LockCount.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tern::server {

class ShutdownMonitor {
public:
    ShutdownMonitor(LockCount& locks, std::chrono::milliseconds idleTime, std::function<void()> onIdle);
    ~ShutdownMonitor();
    ShutdownMonitor(const ShutdownMonitor&) = delete;
    ShutdownMonitor& operator=(const ShutdownMonitor&) = delete;

    void start();
    // The lock count dropped to 0 (any thread).
    void signal();
    // Ends the thread.
    void stop();

private:
    void run();
    // Waits for a signal; false when stopping.
    bool waitForSignal(std::unique_lock<std::mutex>& lock);
    // Waits until the idle time passes without a signal; false when stopping.
    bool waitForQuiet(std::unique_lock<std::mutex>& lock);

    LockCount& locks_;
    std::chrono::milliseconds idle_;
    std::function<void()> onIdle_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool signalled_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tern::server
