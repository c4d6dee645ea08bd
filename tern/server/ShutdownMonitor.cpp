#include <tern/server/ShutdownMonitor.h>

namespace tern::server {

ShutdownMonitor::ShutdownMonitor(LockCount& locks, std::chrono::milliseconds idleTime, std::function<void()> onIdle)
    : locks_(locks), idle_(idleTime), onIdle_(std::move(onIdle))
{
}

ShutdownMonitor::~ShutdownMonitor() { stop(); }

void ShutdownMonitor::start()
{
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
}

void ShutdownMonitor::signal()
{
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    wake_.notify_all();
}

void ShutdownMonitor::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool ShutdownMonitor::waitForSignal(std::unique_lock<std::mutex>& lock)
{
    wake_.wait(lock, [this] { return signalled_ || stopping_; });
    return !stopping_;
}

bool ShutdownMonitor::waitForQuiet(std::unique_lock<std::mutex>& lock)
{
    do {
        signalled_ = false;
        wake_.wait_for(lock, idle_, [this] { return signalled_ || stopping_; });
    } while (signalled_ && !stopping_);
    return !stopping_;
}

void ShutdownMonitor::run()
{
    std::unique_lock lock(mutex_);
    while (waitForSignal(lock) && waitForQuiet(lock)) {
        if (locks_.value() != 0) continue;
        lock.unlock();
        if (onIdle_) onIdle_();
        lock.lock();
    }
}

}  // namespace tern::server
