#include <platform/LinePortState.h>

#include <utility>

namespace platform {

SerialSettings LinePortState::settings() const
{
    std::lock_guard guard(lock_);
    return settings_;
}

SerialResult LinePortState::setTimeouts(const CommTimeouts& timeouts)
{
    std::lock_guard guard(lock_);
    timeouts_ = timeouts;
    return SerialResult::Ok;
}

CommTimeouts LinePortState::timeouts() const
{
    std::lock_guard guard(lock_);
    return timeouts_;
}

std::string LinePortState::problem() const
{
    std::lock_guard guard(lock_);
    return problem_;
}

void LinePortState::storeSettings(const SerialSettings& settings)
{
    std::lock_guard guard(lock_);
    settings_ = settings;
}

void LinePortState::setProblem(std::string text)
{
    std::lock_guard guard(lock_);
    problem_ = std::move(text);
}

}  // namespace platform
