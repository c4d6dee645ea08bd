#pragma once
// Runs the calls handed to it one after another, in order, on the server's
// exchange threads. Each connection has one, so a slow exchange holds up the
// calls queued behind it on its own line only; calls of different queues run
// at the same time.
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace tern::server {

class CallQueue {
public:
    CallQueue();
    void post(std::function<void()> call);
    // Waits until every call posted to any queue has run (end of the server).
    static void waitForAll();

private:
    struct State {
        std::mutex mutex;
        std::deque<std::function<void()>> calls;
        bool running = false;
    };
    static void drain(const std::shared_ptr<State>& state);

    // Shared with a running drain, which may outlive the queue's owner.
    std::shared_ptr<State> state_;
};

}  // namespace tern::server
