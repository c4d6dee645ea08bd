#include <platform/testing/qt/ModalAnswerer.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace platform::testing {

namespace {

QString withoutMnemonic(QString text)
{
    return text.remove('&');
}

bool showsText(QWidget* w, const QString& text)
{
    if (w->windowTitle().contains(text))
        return true;
    const auto* box = qobject_cast<QMessageBox*>(w);
    return box != nullptr && (box->text().contains(text) || box->informativeText().contains(text));
}

}  // namespace

ModalAnswerer::ModalAnswerer(FailureSink onFailure, std::chrono::milliseconds limit)
    : sink_(std::move(onFailure)), limit_(limit)
{
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
}

ModalAnswerer::~ModalAnswerer()
{
    verify();
}

ModalAnswerer& ModalAnswerer::expect(std::string what, Match match, Action action)
{
    expected_.push_back({std::move(what), std::move(match), std::move(action), Clock::now() + limit_});
    timer_.start();
    return *this;
}

ModalAnswerer& ModalAnswerer::expectNamed(const QString& objectName, Action action)
{
    return expect(
        "the modal window " + objectName.toStdString(),
        [objectName](QWidget* w) { return w->objectName() == objectName; }, std::move(action));
}

ModalAnswerer& ModalAnswerer::press(const QString& text, const QString& button)
{
    const std::string what = "a modal window showing \"" + text.toStdString() + "\"";
    return expect(
        what, [text](QWidget* w) { return showsText(w, text); },
        [this, button, what](QWidget* w) {
            for (auto* b : w->findChildren<QAbstractButton*>()) {
                if (b->isVisible() && withoutMnemonic(b->text()) == withoutMnemonic(button)) {
                    b->click();
                    return;
                }
            }
            fail("no button \"" + button.toStdString() + "\" in " + what);
            w->close();
        });
}

void ModalAnswerer::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    // While an answer waits to run, its window is still up: no second answer.
    if (modal != nullptr && !answering_) {
        for (auto it = expected_.begin(); it != expected_.end(); ++it) {
            if (!it->match(modal))
                continue;
            // Taken off first: the action may expect the next window. It runs
            // apart from this timer's call, since Qt does not call a timer
            // again while its call is running: a nested exec() the action
            // starts gets its window answered too.
            Action action = std::move(it->action);
            const std::string what = it->what;
            expected_.erase(it);
            QPointer<QWidget> target(modal);
            answering_ = true;
            QMetaObject::invokeMethod(
                &timer_,
                [this, action = std::move(action), target, what] {
                    answering_ = false;
                    if (target)
                        action(target);
                    else
                        fail(what + " closed before it was answered");
                },
                Qt::QueuedConnection);
            break;
        }
    }
    const auto now = Clock::now();
    bool late = false;
    for (auto it = expected_.begin(); it != expected_.end();) {
        if (it->deadline > now) {
            ++it;
            continue;
        }
        const std::string what = it->what;
        it = expected_.erase(it);
        late = true;
        fail(what + " did not come within " + std::to_string(limit_.count()) + " ms");
    }
    // A window nobody answers would hold the test in exec() for ever.
    if (late && QApplication::activeModalWidget() != nullptr)
        QApplication::activeModalWidget()->close();
    if (expected_.empty())
        timer_.stop();
}

void ModalAnswerer::fail(const std::string& what)
{
    failures_.push_back(what);
    if (sink_)
        sink_(what);
}

bool ModalAnswerer::verify()
{
    std::deque<Expectation> left;
    left.swap(expected_);
    timer_.stop();
    for (const auto& e : left)
        fail(e.what + " never came");
    return failures_.empty();
}

}  // namespace platform::testing
