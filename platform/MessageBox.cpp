#include <platform/MessageBox.h>

#include <plumage/plumage.h>

#include <cstdio>
#include <mutex>

namespace platform {

namespace {
std::mutex handlerMutex;
MessageHandler& handlerSlot()
{
    static MessageHandler handler;
    return handler;
}
}  // namespace

const char* iconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return "none";
    case MsgIcon::Information: return "information";
    case MsgIcon::Exclamation: return "exclamation";
    case MsgIcon::Question: return "question";
    case MsgIcon::Stop: return "stop";
    }
    return "none";
}

MsgAnswer defaultAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel: return MsgAnswer::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel: return MsgAnswer::Yes;
    case MsgButtons::RetryCancel: return MsgAnswer::Retry;
    case MsgButtons::AbortRetryIgnore: return MsgAnswer::Abort;
    }
    return MsgAnswer::Ok;
}

MessageHandler setMessageHandler(MessageHandler handler)
{
    std::lock_guard lock(handlerMutex);
    MessageHandler previous = std::move(handlerSlot());
    handlerSlot() = std::move(handler);
    return previous;
}

MsgAnswer showMessageCaption(const std::string& caption, const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    MessageHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = handlerSlot();
    }
    const MessageRequest request{caption, text, icon, buttons};
    if (handler) return handler(request);
    std::fprintf(stderr, "[%s] %s: %s\n", iconName(icon), caption.c_str(), text.c_str());
    return defaultAnswer(buttons);
}

MsgAnswer showMessage(const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    return showMessageCaption(getCompanyName(), text, icon, buttons);
}

}  // namespace platform
