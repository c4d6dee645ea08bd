#pragma once
// Qt glue of the single-instance rule: while the first instance runs, a
// second start knocks on its socket; this watcher hears the knock and brings
// the main window (and a modal dialog over it) to the front.
#include <platform/SingleInstance.h>

#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

namespace platform::qt {

class ActivationWatcher : public QObject {
    Q_OBJECT
public:
    ActivationWatcher(SingleInstance& instance, QObject* parent = nullptr);
    void setWindow(QWidget* window) { window_ = window; }

    // Restores a minimised window and raises it with its active popup.
    static void bringToFront(QWidget* window);

signals:
    void activated();

private:
    void service();

    SingleInstance& instance_;
    QSocketNotifier* notifier_ = nullptr;
    QPointer<QWidget> window_;
};

}  // namespace platform::qt
