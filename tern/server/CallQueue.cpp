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

void CallQueue::post(std::function<void()> call)
{
    {
        std::lock_guard lock(state_->mutex);
        state_->calls.push_back(std::move(call));
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
            if (state->calls.empty()) {
                state->running = false;
                return;
            }
            call = std::move(state->calls.front());
            state->calls.pop_front();
        }
        call();
    }
}

void CallQueue::waitForAll() { exchangeThreads().waitForDone(); }

}  // namespace tern::server
