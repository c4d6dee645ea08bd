// The line's call queue is fair: a client with many calls waiting delays
// another client's next call by at most one of its own, each client's
// calls keep their order, and the queue runs nothing twice nor drops a call.
#include <tern/server/CallQueue.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace tern::server {
namespace {

struct Recorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> order;
    bool released = false;
    bool holding = false;

    void add(const std::string& what)
    {
        std::lock_guard lock(mutex);
        order.push_back(what);
        changed.notify_all();
    }
    bool waitFor(size_t n)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] { return order.size() >= n; });
    }
};

TEST(CallQueue, ClientsTakeTurnsAndKeepTheirOwnOrder)
{
    CallQueue queue;
    Recorder r;
    // The first call holds the line while the others queue up behind it.
    queue.post([&r] {
        std::unique_lock lock(r.mutex);
        r.holding = true;
        r.changed.notify_all();
        r.changed.wait_for(lock, std::chrono::seconds(5), [&r] { return r.released; });
    }, "holder");
    {
        std::unique_lock lock(r.mutex);
        ASSERT_TRUE(r.changed.wait_for(lock, std::chrono::seconds(5), [&r] { return r.holding; }));
    }
    for (int i = 0; i < 5; ++i) queue.post([&r, i] { r.add("flood" + std::to_string(i)); }, "flood");
    queue.post([&r] { r.add("scan0"); }, "scan");
    queue.post([&r] { r.add("scan1"); }, "scan");
    queue.post([&r] { r.add("tcp0"); }, "tcp");
    EXPECT_EQ(queue.waiting(), 8u);
    {
        std::lock_guard lock(r.mutex);
        r.released = true;
        r.changed.notify_all();
    }
    ASSERT_TRUE(r.waitFor(8));
    EXPECT_EQ(r.order, (std::vector<std::string>{"flood0", "scan0", "tcp0", "flood1", "scan1", "flood2", "flood3",
                                                 "flood4"}));
    CallQueue::waitForAll();
    EXPECT_EQ(queue.waiting(), 0u);
}

}  // namespace
}  // namespace tern::server
