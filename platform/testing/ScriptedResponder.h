#pragma once
// Answers the message seam from a script: each expected message names its
// exact text and icon and the answer to give. Installed for its lifetime.
// Any message that does not match the next expectation, and any expectation
// left over at the end, is a failure: failures() lists them, and the
// onFailure callback (e.g. ADD_FAILURE in GoogleTest, QFAIL-like in Qt Test)
// is called at once.
#include <platform/MessageBox.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform::testing {

class ScriptedResponder {
public:
    using FailureSink = std::function<void(const std::string&)>;
    explicit ScriptedResponder(FailureSink onFailure = {});
    ~ScriptedResponder();
    ScriptedResponder(const ScriptedResponder&) = delete;
    ScriptedResponder& operator=(const ScriptedResponder&) = delete;

    ScriptedResponder& expect(const std::string& text, MsgIcon icon, MsgAnswer answer = MsgAnswer::Ok);

    // Everything shown so far, in order.
    std::vector<MessageRequest> shown() const;
    std::vector<std::string> failures() const;
    // Expectations not yet met.
    size_t pending() const;
    // Records a failure for every pending expectation; true when all is well.
    bool verify();

private:
    MsgAnswer answer(const MessageRequest& request);
    void fail(const std::string& what);

    struct Expectation { std::string text; MsgIcon icon; MsgAnswer answer; };
    mutable std::mutex mutex_;
    std::deque<Expectation> script_;
    std::vector<MessageRequest> shown_;
    std::vector<std::string> failures_;
    FailureSink sink_;
    MessageHandler previous_;
};

}  // namespace platform::testing
