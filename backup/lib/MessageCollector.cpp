#include <backup/lib/MessageCollector.h>

#include <algorithm>

namespace backup {

namespace {

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

MessageCollector::MessageCollector()
{
    previous_ = platform::setMessageHandler([this](const platform::MessageRequest& r) {
        add(platform::Notice{r.text, r.icon});
        switch (r.buttons) {
        case platform::MsgButtons::YesNo:
        case platform::MsgButtons::YesNoCancel: return platform::MsgAnswer::No;
        case platform::MsgButtons::OkCancel:
        case platform::MsgButtons::RetryCancel: return platform::MsgAnswer::Cancel;
        case platform::MsgButtons::AbortRetryIgnore: return platform::MsgAnswer::Abort;
        default: return platform::MsgAnswer::Ok;
        }
    });
}

MessageCollector::~MessageCollector() { platform::setMessageHandler(previous_); }

std::string MessageCollector::take()
{
    std::lock_guard lock(mutex_);
    std::string joined;
    for (const std::string& t : texts_) joined += (joined.empty() ? "" : " / ") + t;
    texts_.clear();
    return joined;
}

void MessageCollector::add(const platform::Notice& notice)
{
    std::lock_guard lock(mutex_);
    texts_.push_back(oneLine(notice.text));
}

void MessageCollector::add(const std::vector<platform::Notice>& notices)
{
    for (const auto& n : notices) add(n);
}

void MessageCollector::add(const std::optional<platform::Notice>& notice)
{
    if (notice) add(*notice);
}

}  // namespace backup
