#include <wren/ui/FamilyPictures.h>

#include <platform/qt/QtImages.h>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace wren {

namespace {

// Unit coordinates: the painter is scaled so that the picture is 100 x 130.
constexpr double kUnitW = 100.0;
constexpr double kUnitH = 130.0;

void background(QPainter& p, QColor top, QColor bottom)
{
    QLinearGradient g(0, 0, 0, kUnitH);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(QRectF(0, 0, kUnitW, kUnitH), g);
    // Floor shadow under the unit.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(QRectF(18, 116, 64, 8));
}

void housing(QPainter& p, const QRectF& r, QColor colour)
{
    QLinearGradient side(r.topLeft(), r.topRight());
    side.setColorAt(0, colour.lighter(130));
    side.setColorAt(0.7, colour);
    side.setColorAt(1, colour.darker(140));
    p.setPen(QPen(colour.darker(220), 0.8));
    p.setBrush(side);
    p.drawRoundedRect(r, 3, 3);
}

void fins(QPainter& p, const QRectF& r, int count, QColor colour)
{
    p.setPen(QPen(colour, 1.2));
    for (int i = 0; i < count; ++i) {
        const double x = r.left() + r.width() * (i + 0.5) / count;
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
}

void display(QPainter& p, const QRectF& r, const QString& text)
{
    p.setPen(QPen(QColor(20, 25, 20), 0.8));
    p.setBrush(QColor(125, 205, 115));
    p.drawRect(r);
    QFont f("DejaVu Sans Mono");
    f.setPixelSize(int(r.height() * 0.7));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(25, 60, 25));
    p.drawText(r, Qt::AlignCenter, text);
}

void keys(QPainter& p, double x, double y, double size, int count)
{
    const QColor colours[] = {QColor(40, 150, 60), QColor(200, 45, 40), QColor(60, 60, 70), QColor(60, 60, 70)};
    p.setPen(QPen(QColor(20, 20, 20), 0.5));
    for (int i = 0; i < count; ++i) {
        p.setBrush(colours[i % 4]);
        p.drawRoundedRect(QRectF(x + i * size * 1.4, y, size, size * 0.8), 1, 1);
    }
}

void label(QPainter& p, const QRectF& r, const QString& text, QColor colour)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(int(r.height()));
    f.setBold(true);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}


void drawRhx(QPainter& p)
{
    background(p, QColor(232, 238, 248), QColor(190, 204, 224));
    const QRectF body(24, 10, 52, 108);
    housing(p, body, QColor(55, 100, 165));
    fins(p, QRectF(28, 12, 44, 10), 9, QColor(30, 55, 95));
    display(p, QRectF(32, 28, 36, 12), "50.0");
    keys(p, 33, 45, 6, 4);
    // Terminal cover with cable glands.
    p.setPen(QPen(QColor(25, 45, 80), 0.8));
    p.setBrush(QColor(45, 80, 135));
    p.drawRect(QRectF(28, 92, 44, 22));
    p.setBrush(QColor(30, 30, 30));
    for (int i = 0; i < 3; ++i) p.drawEllipse(QRectF(33 + i * 13, 108, 7, 7));
    label(p, QRectF(24, 62, 52, 9), "RQ9000", QColor(235, 240, 250));
    label(p, QRectF(0, 121, 100, 8), "RHX / RQ9000", QColor(30, 45, 80));
}

void drawLm3(QPainter& p)
{
    background(p, QColor(236, 244, 236), QColor(196, 214, 198));
    // A slim book-size unit beside its mounting rail.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(QRectF(14, 40, 72, 6));
    const QRectF body(32, 16, 36, 100);
    housing(p, body, QColor(88, 96, 104));
    p.setBrush(QColor(60, 150, 90));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(32, 16, 36, 8));
    display(p, QRectF(36, 30, 28, 11), "LM3");
    keys(p, 37, 46, 4.5, 4);
    fins(p, QRectF(36, 62, 28, 26), 7, QColor(55, 60, 66));
    p.setBrush(QColor(30, 30, 30));
    for (int i = 0; i < 2; ++i) p.drawEllipse(QRectF(40 + i * 14, 104, 6, 6));
    label(p, QRectF(0, 121, 100, 8), "LM3 / LT4", QColor(30, 70, 40));
}

}  // namespace

QPixmap rhxPicture(QSize size)
{
    return platform::qt::paintedPixmap(size, kUnitW, kUnitH, drawRhx, Qt::white);
}

QPixmap lm3Picture(QSize size)
{
    return platform::qt::paintedPixmap(size, kUnitW, kUnitH, drawLm3, Qt::white);
}

QIcon selectorIcon()
{
    return platform::qt::paintedIcon(32, [](QPainter& p) {
        housing(p, QRectF(3, 4, 12, 24), QColor(55, 100, 165));
        housing(p, QRectF(18, 8, 11, 20), QColor(88, 96, 104));
    });
}

QPixmap aboutPicture() { return selectorIcon().pixmap(48, 48); }

}  // namespace wren

