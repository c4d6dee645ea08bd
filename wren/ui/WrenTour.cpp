#include <wren/ui/CWrenDlg.h>
#include <wren/ui/WrenTour.h>

#include <QApplication>
#include <QMouseEvent>

#include <cstdlib>

namespace wren {

namespace {

void sendMouse(QWidget* w, QEvent::Type type, QPoint at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

}  // namespace

std::unique_ptr<platform::qt::ScreenTour> tourFromEnvironment()
{
    const char* dir = std::getenv("AVIARY_DEMO_TOUR");
    if (dir == nullptr || *dir == '\0') return nullptr;
    const QString directory = QString::fromLocal8Bit(dir);
    auto tour = std::make_unique<platform::qt::ScreenTour>(directory, "wren");
    platform::qt::ScreenTour* t = tour.get();
    t->step("wrenDialog", "selector", [t](QWidget* w) {
        auto* dialog = qobject_cast<CWrenDlg*>(w);
        const QPoint centre = dialog->control(CWrenDlg::LeftPicture)->geometry().center();
        sendMouse(dialog, QEvent::MouseMove, centre);
        t->save(dialog->grab(), "hover-rhx");
        sendMouse(dialog, QEvent::MouseButtonPress, centre);
    });
    t->start();
    return tour;
}

}  // namespace wren
