#include <platform/qt/QtSingleInstance.h>

#include <QApplication>
#include <QSocketNotifier>

namespace platform::qt {

ActivationWatcher::ActivationWatcher(SingleInstance& instance, QObject* parent)
    : QObject(parent), instance_(instance)
{
    if (instance_.activationFd() < 0) return;
    notifier_ = new QSocketNotifier(instance_.activationFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ActivationWatcher::service);
}

void ActivationWatcher::service()
{
    instance_.serviceActivations([this] {
        bringToFront(window_);
        emit activated();
    });
}

void ActivationWatcher::bringToFront(QWidget* window)
{
    if (window != nullptr) {
        if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
    }
    if (QWidget* popup = QApplication::activeModalWidget()) {
        popup->raise();
        popup->activateWindow();
    }
}

}  // namespace platform::qt
