#include <kestrel/ui/KeypadImages.h>

#include <kestrel/core/CKeypadControl.h>

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace kestrel {

namespace {

enum class Shape { Forward, Reverse, Stop };

QPixmap draw(Shape shape, bool lit)
{
    QPixmap pm(14, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor on = shape == Shape::Stop ? QColor(220, 30, 30) : QColor(20, 180, 40);
    p.setPen(QPen(lit ? on.darker(140) : QColor(90, 90, 90), 1));
    p.setBrush(lit ? on : QColor(190, 190, 190));
    switch (shape) {
    case Shape::Forward: p.drawPolygon(QPolygon({QPoint(3, 2), QPoint(12, 7), QPoint(3, 12)})); break;
    case Shape::Reverse: p.drawPolygon(QPolygon({QPoint(11, 2), QPoint(2, 7), QPoint(11, 12)})); break;
    case Shape::Stop: p.drawRect(3, 3, 8, 8); break;
    }
    return pm;
}

}  // namespace

QIcon keypadIcon(int resource)
{
    using K = CKeypadControl;
    switch (resource) {
    case K::kFwdIcon: return QIcon(draw(Shape::Forward, false));
    case K::kFwdLit: return QIcon(draw(Shape::Forward, true));
    case K::kRevIcon: return QIcon(draw(Shape::Reverse, false));
    case K::kRevLit: return QIcon(draw(Shape::Reverse, true));
    case K::kStopIcon: return QIcon(draw(Shape::Stop, false));
    case K::kStopLit: return QIcon(draw(Shape::Stop, true));
    default: return {};
    }
}

}  // namespace kestrel
