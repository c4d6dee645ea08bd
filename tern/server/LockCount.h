#pragma once
// The server's lock count: live objects plus server locks taken by clients.
// Every time it drops to 0 the shutdown monitor is told.
#include <atomic>
#include <functional>

namespace tern::server {

class LockCount {
public:
    explicit LockCount(std::function<void()> onZero = {}) : onZero_(std::move(onZero)) {}
    void setOnZero(std::function<void()> onZero) { onZero_ = std::move(onZero); }

    long Lock() { return ++count_; }
    long Unlock()
    {
        const long left = --count_;
        if (left == 0 && onZero_) onZero_();
        return left;
    }
    long value() const { return count_; }

private:
    std::atomic<long> count_{0};
    std::function<void()> onZero_;
};

}  // namespace tern::server
