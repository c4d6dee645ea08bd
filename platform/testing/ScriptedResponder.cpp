#include <platform/testing/ScriptedResponder.h>

namespace platform::testing {

ScriptedResponder::ScriptedResponder(FailureSink onFailure) : sink_(std::move(onFailure))
{
    previous_ = setMessageHandler([this](const MessageRequest& r) { return answer(r); });
}

ScriptedResponder::~ScriptedResponder()
{
    verify();
    setMessageHandler(std::move(previous_));
}

ScriptedResponder& ScriptedResponder::expect(const std::string& text, MsgIcon icon, MsgAnswer answer)
{
    std::lock_guard lock(mutex_);
    script_.push_back({text, icon, answer});
    return *this;
}

MsgAnswer ScriptedResponder::answer(const MessageRequest& request)
{
    std::unique_lock lock(mutex_);
    shown_.push_back(request);
    if (script_.empty()) {
        lock.unlock();
        fail("unexpected message [" + std::string(iconName(request.icon)) + "] \"" + request.text + "\"");
        return defaultAnswer(request.buttons) == MsgAnswer::Ok ? MsgAnswer::Cancel : MsgAnswer::No;
    }
    const Expectation e = script_.front();
    script_.pop_front();
    lock.unlock();
    if (e.text != request.text)
        fail("message text \"" + request.text + "\" where \"" + e.text + "\" was expected");
    else if (e.icon != request.icon)
        fail("message \"" + request.text + "\" with icon " + iconName(request.icon) + " instead of " + iconName(e.icon));
    return e.answer;
}

void ScriptedResponder::fail(const std::string& what)
{
    {
        std::lock_guard lock(mutex_);
        failures_.push_back(what);
    }
    if (sink_) sink_(what);
}

std::vector<MessageRequest> ScriptedResponder::shown() const
{
    std::lock_guard lock(mutex_);
    return shown_;
}

std::vector<std::string> ScriptedResponder::failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

size_t ScriptedResponder::pending() const
{
    std::lock_guard lock(mutex_);
    return script_.size();
}

bool ScriptedResponder::verify()
{
    std::deque<Expectation> left;
    {
        std::lock_guard lock(mutex_);
        left.swap(script_);
    }
    for (const auto& e : left) fail("expected message \"" + e.text + "\" was never shown");
    std::lock_guard lock(mutex_);
    return failures_.empty();
}

}  // namespace platform::testing
