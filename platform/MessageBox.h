#pragma once
// Every message of Kestrel, Merlin and Wren goes through showMessage(): the
// caption is the branding library's company name, the icon and buttons are
// chosen per message. The windows install a QMessageBox handler; tests install
// a ScriptedResponder (platform/testing) that checks text and icon and answers
// from a queue. Without a handler the message goes to stderr and the default
// answer (the first button) is returned.
#include <functional>
#include <string>

namespace platform {

enum class MsgIcon { None, Information, Exclamation, Question, Stop };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
// The numbers are fixed: callers and scripted answers compare with them.
enum class MsgAnswer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageRequest {
    std::string caption;
    std::string text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

using MessageHandler = std::function<MsgAnswer(const MessageRequest&)>;

MsgAnswer showMessage(const std::string& text, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok);
// Same with an explicit caption (Wren, which has no branding library).
MsgAnswer showMessageCaption(const std::string& caption, const std::string& text, MsgIcon icon,
                             MsgButtons buttons = MsgButtons::Ok);

// Installs a handler and returns the previous one.
MessageHandler setMessageHandler(MessageHandler handler);
MsgAnswer defaultAnswer(MsgButtons buttons);
const char* iconName(MsgIcon icon);

}  // namespace platform
