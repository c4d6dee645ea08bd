#pragma once
// Runs the calls handed to it one after another on the server's exchange
// threads. Each connection has one, so a slow exchange holds up the calls
// queued behind it on its own line only; calls of different queues run at
// the same time.
//
// The queue is fair between its clients: each client (a bus name, a TCP
// peer of the gateway) has its own line of calls, and the queue takes one
// call from each waiting client in turn. A client that posts a hundred calls
// at once delays another client's next call by at most one of its own; calls
// of one client keep their order.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace tern::server {

class CallQueue {
public:
    CallQueue();
    void post(std::function<void()> call, const std::string& client = {});
    // Calls waiting (not yet started), over all clients.
    size_t waiting() const;
    // Waits until every call posted to any queue has run (end of the server).
    static void waitForAll();

private:
    struct State {
        mutable std::mutex mutex;
        std::map<std::string, std::deque<std::function<void()>>> calls;  // by client
        std::deque<std::string> turns;  // clients with waiting calls, next one first
        bool running = false;
    };
    static void drain(const std::shared_ptr<State>& state);
    // The next call by turn; empty when none waits. Under the state's lock.
    static std::function<void()> takeNext(State& state);

    // Shared with a running drain, which may outlive the queue's owner.
    std::shared_ptr<State> state_;
};

}  // namespace tern::server
