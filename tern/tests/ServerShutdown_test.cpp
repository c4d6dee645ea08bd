// The shutdown monitor: the idle call comes only after a quiet idle time
// with the lock count at 0.
#include <tern/server/ShutdownMonitor.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tern::server {
namespace {

using namespace std::chrono_literals;

class ShutdownMonitorTest : public testing::Test {
protected:
    ShutdownMonitorTest() : monitor_(locks_, 20ms, [this] { idle(); })
    {
        locks_.setOnZero([this] { monitor_.signal(); });
        monitor_.start();
    }

    void idle()
    {
        std::lock_guard lock(mutex_);
        ++idleCalls_;
        changed_.notify_all();
    }

    // Waits (at most two seconds) for the idle call number n.
    bool waitForIdleCalls(int n)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 2s, [&] { return idleCalls_ >= n; });
    }

    int idleCalls()
    {
        std::lock_guard lock(mutex_);
        return idleCalls_;
    }

    LockCount locks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int idleCalls_ = 0;
    ShutdownMonitor monitor_;
};

TEST_F(ShutdownMonitorTest, CallsIdleOnceAfterTheLastUnlock)
{
    locks_.Lock();
    locks_.Lock();
    locks_.Unlock();
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(idleCalls(), 0);  // still one lock: nothing to end
    locks_.Unlock();
    ASSERT_TRUE(waitForIdleCalls(1));
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(idleCalls(), 1);
}

TEST_F(ShutdownMonitorTest, ALockTakenDuringTheQuietTimeCancelsTheIdleCall)
{
    locks_.Lock();
    locks_.Unlock();
    locks_.Lock();  // a new object right after
    std::this_thread::sleep_for(80ms);
    EXPECT_EQ(idleCalls(), 0);
    locks_.Unlock();
    EXPECT_TRUE(waitForIdleCalls(1));
}

TEST_F(ShutdownMonitorTest, KeepsWatchingAfterAnIdleCallThatDidNotEndTheServer)
{
    monitor_.signal();
    ASSERT_TRUE(waitForIdleCalls(1));
    locks_.Lock();
    locks_.Unlock();
    EXPECT_TRUE(waitForIdleCalls(2));
}

}  // namespace
}  // namespace tern::server
