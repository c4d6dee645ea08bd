#include <shell/ShellImages.h>

#include <platform/qt/QtImages.h>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <string>

namespace shell {

namespace {

// One drive seen from the front: housing, display, keypad, cooling slots.
void drawDrive(QPainter& p, const QRectF& r, const QColor& body)
{
    QLinearGradient shade(r.topLeft(), r.topRight());
    shade.setColorAt(0, body.lighter(125));
    shade.setColorAt(1, body.darker(130));
    p.setPen(QPen(body.darker(200), r.width() / 40.0));
    p.setBrush(shade);
    p.drawRoundedRect(r, r.width() / 12.0, r.width() / 12.0);

    const QRectF display(r.left() + r.width() * 0.18, r.top() + r.height() * 0.12, r.width() * 0.64,
                         r.height() * 0.16);
    p.setPen(QPen(QColor(20, 30, 20), r.width() / 60.0));
    p.setBrush(QColor(120, 200, 110));
    p.drawRect(display);
    p.setPen(QPen(QColor(30, 70, 30), r.width() / 40.0));
    for (int i = 0; i < 4; ++i) {
        const double x = display.left() + display.width() * (0.12 + 0.2 * i);
        p.drawLine(QPointF(x, display.top() + display.height() * 0.25),
                   QPointF(x + display.width() * 0.12, display.top() + display.height() * 0.25));
        p.drawLine(QPointF(x, display.bottom() - display.height() * 0.25),
                   QPointF(x + display.width() * 0.12, display.bottom() - display.height() * 0.25));
    }

    p.setPen(Qt::NoPen);
    const QColor keys[] = {QColor(40, 160, 60), QColor(200, 50, 40), QColor(70, 70, 80), QColor(70, 70, 80)};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(keys[i]);
        const double kx = r.left() + r.width() * (0.2 + 0.17 * i);
        p.drawEllipse(QRectF(kx, r.top() + r.height() * 0.36, r.width() * 0.11, r.width() * 0.11));
    }
    p.setPen(QPen(body.darker(170), r.width() / 50.0));
    for (int i = 0; i < 6; ++i) {
        const double y = r.top() + r.height() * (0.58 + 0.06 * i);
        p.drawLine(QPointF(r.left() + r.width() * 0.2, y), QPointF(r.right() - r.width() * 0.2, y));
    }
}

void drawNetwork(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, 190);
    sky.setColorAt(0, QColor(225, 235, 248));
    sky.setColorAt(1, QColor(180, 198, 222));
    p.setBrush(sky);
    p.setPen(QPen(QColor(110, 130, 160), 1));
    p.drawRect(QRectF(0.5, 0.5, 149, 189));

    // The PC at the head of the line.
    p.setBrush(QColor(235, 235, 230));
    p.setPen(QPen(QColor(70, 70, 70), 1.5));
    p.drawRect(QRectF(12, 12, 56, 38));
    p.setBrush(QColor(40, 90, 160));
    p.drawRect(QRectF(17, 16, 46, 28));
    p.setBrush(QColor(200, 200, 195));
    p.drawRect(QRectF(30, 50, 20, 6));
    p.drawRect(QRectF(8, 56, 64, 8));

    // The RS-485 bus and three drives hanging on it.
    p.setPen(QPen(QColor(210, 120, 20), 3));
    p.drawLine(QPointF(40, 64), QPointF(40, 90));
    p.drawLine(QPointF(20, 90), QPointF(140, 90));
    const double xs[] = {18, 63, 108};
    for (double x : xs) {
        p.setPen(QPen(QColor(210, 120, 20), 3));
        p.drawLine(QPointF(x + 12, 90), QPointF(x + 12, 104));
        drawDrive(p, QRectF(x, 104, 26, 64), QColor(60, 110, 170));
    }
    p.setPen(QColor(30, 40, 60));
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 170, 150, 18), Qt::AlignCenter, "RS-485");
}

}  // namespace

QPixmap networkPicture() { return platform::qt::paintedPixmap(QSize(150, 190), 150, 190, drawNetwork); }

namespace {

// The badge that tells the programs apart on a task bar: the program's
// initial on a disc at the drive's foot.
void drawBadge(QPainter& p, const QColor& colour, const QString& letter)
{
    const QRectF disc(15.5, 15.5, 16, 16);
    p.setPen(QPen(QColor(255, 255, 255), 1.2));
    p.setBrush(colour);
    p.drawEllipse(disc);
    QFont f = p.font();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255));
    p.drawText(disc, Qt::AlignCenter, letter);
}

}  // namespace

QIcon programIcon(const std::string& program)
{
    // Kestrel: a blue drive, Merlin: a green one, each with its initial.
    if (program == "Kestrel" || program == "Merlin") {
        const bool kestrel = program == "Kestrel";
        const QColor body = kestrel ? QColor(60, 110, 170) : QColor(40, 140, 100);
        const QColor badge = kestrel ? QColor(210, 110, 30) : QColor(120, 60, 160);
        const QString letter = kestrel ? QStringLiteral("K") : QStringLiteral("M");
        return platform::qt::paintedIcon(32, [body, badge, letter](QPainter& p) {
            drawDrive(p, QRectF(1.5, 1.3, 20.5, 29.4), body);
            drawBadge(p, badge, letter);
        });
    }
    return platform::qt::paintedIcon(32, [](QPainter& p) { drawDrive(p, QRectF(5.8, 1.3, 20.5, 29.4), QColor(60, 110, 170)); });
}

QPixmap aboutPicture()
{
    return platform::qt::paintedPixmap(QSize(48, 48), 48, 48,
                                       [](QPainter& p) { drawDrive(p, QRectF(9, 2, 30, 44), QColor(60, 110, 170)); });
}

}  // namespace shell
