#pragma once
// Answers the modal dialogs and message boxes a window test opens, in the
// order they are expected: each expectation says which window it takes (by
// class, object name, or title/text) and what the user does there (presses
// a button, or anything a callback does). An expectation answers the first
// modal window it matches once that window is up (exec() has not returned);
// a window still up after its answer may take the next expectation too (a
// dialog that asks again after a message).
// One that finds no window within its time limit is a failure, and the modal
// window then up is closed so the test does not hang in exec(); so is an
// expectation left over when the answerer ends. Failures go to the sink
// (a Qt Test failure by default) and are listed by failures().
#include <platform/testing/qt/QtFailure.h>

#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform::testing {

class ModalAnswerer {
public:
    using FailureSink = std::function<void(const std::string&)>;
    using Match = std::function<bool(QWidget*)>;
    using Action = std::function<void(QWidget*)>;

    explicit ModalAnswerer(FailureSink onFailure = qtFailure(),
                           std::chrono::milliseconds limit = std::chrono::seconds(10));
    ~ModalAnswerer();
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

    // The next modal window that match accepts gets action; what names it in failures.
    ModalAnswerer& expect(std::string what, Match match, Action action);
    // The next modal window of class T.
    template <typename T>
    ModalAnswerer& expect(std::function<void(T*)> action)
    {
        return expect(
            std::string("a modal ") + T::staticMetaObject.className(),
            [](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
            [action = std::move(action)](QWidget* w) { action(qobject_cast<T*>(w)); });
    }
    // The next modal window of that object name.
    ModalAnswerer& expectNamed(const QString& objectName, Action action);
    // The next modal window whose title, or a message box whose text,
    // contains text: the user presses its button labelled button ("&" aside).
    ModalAnswerer& press(const QString& text, const QString& button);

    size_t pending() const { return expected_.size(); }
    std::vector<std::string> failures() const { return failures_; }
    // Records a failure for every expectation left and drops them; true when all is well.
    bool verify();

private:
    using Clock = std::chrono::steady_clock;
    struct Expectation {
        std::string what;
        Match match;
        Action action;
        Clock::time_point deadline;
    };
    void poll();
    void fail(const std::string& what);

    std::deque<Expectation> expected_;
    std::vector<std::string> failures_;
    FailureSink sink_;
    std::chrono::milliseconds limit_;
    QTimer timer_;
    bool answering_ = false;
};

}  // namespace platform::testing
