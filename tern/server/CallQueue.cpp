#include <tern/server/CallQueue.h>

#include <QThreadPool>

namespace tern::server {

namespace {

// One thread per busy connection: the pool only bounds the number of lines
// exchanging at the same moment, far above what one machine has ports for.
QThreadPool& exchangeThreads()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(256);
        return p;
    }();
    return *pool;
}

}  // namespace

CallQueue::CallQueue() : state_(std::make_shared<State>()) {}

void CallQueue::post(std::function<void()> call, const std::string& client)
{
    {
        std::lock_guard lock(state_->mutex);
        auto& own = state_->calls[client];
        if (own.empty()) state_->turns.push_back(client);
        own.push_back(std::move(call));
        if (state_->running) return;
        state_->running = true;
    }
    exchangeThreads().start([state = state_] { drain(state); });
}

void CallQueue::drain(const std::shared_ptr<State>& state)
{
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(state->mutex);
            call = takeNext(*state);
            if (!call) {
                state->running = false;
                return;
            }
        }
        call();
    }
}

std::function<void()> CallQueue::takeNext(State& state)
{
    if (state.turns.empty()) return {};
    const std::string client = std::move(state.turns.front());
    state.turns.pop_front();
    auto it = state.calls.find(client);
    std::function<void()> call = std::move(it->second.front());
    it->second.pop_front();
    // Back to the end of the round while it still has calls waiting.
    if (it->second.empty()) state.calls.erase(it);
    else state.turns.push_back(client);
    return call;
}

size_t CallQueue::waiting() const
{
    std::lock_guard lock(state_->mutex);
    size_t n = 0;
    for (const auto& entry : state_->calls) n += entry.second.size();
    return n;
}

void CallQueue::waitForAll() { exchangeThreads().waitForDone(); }

}  // namespace tern::server
