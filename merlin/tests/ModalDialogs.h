#pragma once
// Answers the program's modal dialogs in window tests: the action runs once
// the dialog is the active modal window (exec() does not return before).
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace merlin::testing {

// Runs action on the first modal window the match accepts.
inline void whenModalMatches(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> action)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, match, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && match(modal)) {
            poll->stop();
            poll->deleteLater();
            action(modal);
        }
    });
    poll->start();
}

template <typename T>
void whenModal(std::function<void(T*)> action)
{
    whenModalMatches([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                     [action](QWidget* w) { action(qobject_cast<T*>(w)); });
}

inline void whenModalNamed(const QString& name, std::function<void(QWidget*)> action)
{
    whenModalMatches([name](QWidget* w) { return w->objectName() == name; }, std::move(action));
}

}  // namespace merlin::testing
