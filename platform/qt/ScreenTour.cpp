#include <platform/qt/ScreenTour.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace platform::qt {

ScreenTour::ScreenTour(QString directory, QString prefix, QObject* parent)
    : QObject(parent), directory_(std::move(directory)), prefix_(std::move(prefix))
{
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &ScreenTour::tick);
}

ScreenTour& ScreenTour::step(const QString& window, const QString& picture, Action action)
{
    steps_.push_back({window, picture, std::move(action)});
    return *this;
}

void ScreenTour::start(int intervalMs, int limitMs)
{
    intervalMs_ = intervalMs;
    limitMs_ = limitMs;
    if (!QDir().mkpath(directory_)) std::fprintf(stderr, "tour: cannot create %s\n", qPrintable(directory_));
    timer_->start(intervalMs_);
}

QWidget* ScreenTour::findWindow(const QString& name) const
{
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->objectName() == name) return modal;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == name && !QApplication::activeModalWidget()) return w;
    return nullptr;
}

void ScreenTour::save(const QPixmap& pixmap, const QString& name)
{
    const QString file = QString("%1/%2-%3-%4.png").arg(directory_, prefix_).arg(++shots_).arg(name);
    if (pixmap.save(file)) {
        saved_ << file;
        std::printf("screenshot: %s\n", qPrintable(file));
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "tour: cannot write %s\n", qPrintable(file));
    }
}

void ScreenTour::tick()
{
    elapsedMs_ += intervalMs_;
    if (done() || elapsedMs_ > limitMs_) {
        finish();
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal); box && steps_[next_].window != box->objectName()) {
        save(box->grab(), "message");
        QTimer::singleShot(0, box, [box] {
            QAbstractButton* b = box->defaultButton();
            if (b == nullptr) b = box->buttons().value(0);
            if (b != nullptr) b->click();
        });
        return;
    }
    Step& s = steps_[next_];
    QWidget* window = findWindow(s.window);
    if (window == nullptr) return;
    ++next_;
    if (!s.picture.isEmpty()) save(window->grab(), s.picture);
    if (s.action) QTimer::singleShot(0, window, [action = s.action, window] { action(window); });
    if (done()) finish();
}

void ScreenTour::finish()
{
    if (finished_) return;
    finished_ = true;
    timer_->stop();
    // The marker tells a waiting script that this program's tour is over.
    QFile marker(QString("%1/%2.done").arg(directory_, prefix_));
    if (!marker.open(QIODevice::WriteOnly) || marker.write(done() ? "complete\n" : "incomplete\n") < 0)
        std::fprintf(stderr, "tour: cannot write %s\n", qPrintable(marker.fileName()));
    emit finished(done());
}

QPixmap ScreenTour::grabWithMenu(QMainWindow* window, int menuIndex)
{
    QPixmap picture = window->grab();
    const QList<QAction*> titles = window->menuBar()->actions();
    if (menuIndex < 0 || menuIndex >= titles.size() || !titles[menuIndex]->menu()) return picture;
    QMenu* menu = titles[menuIndex]->menu();
    const QRect title = window->menuBar()->actionGeometry(titles[menuIndex]);
    const QPoint at = window->menuBar()->mapTo(window, title.bottomLeft());
    emit menu->aboutToShow();
    menu->ensurePolished();
    menu->adjustSize();
    QPainter p(&picture);
    p.fillRect(QRect(at, menu->size()).translated(3, 3), QColor(0, 0, 0, 60));
    menu->render(&p, at);
    return picture;
}

void ScreenTour::clickLater(QWidget* window, const QString& buttonName)
{
    if (auto* b = window->findChild<QAbstractButton*>(buttonName)) QTimer::singleShot(0, b, [b] { b->click(); });
}

}  // namespace platform::qt
