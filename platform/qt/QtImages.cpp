#include <platform/qt/QtImages.h>

#include <QIconEngine>
#include <QPainter>

namespace platform::qt {

QImage toImage(const plumage::Bitmap& bitmap)
{
    const auto count = static_cast<size_t>(bitmap.width > 0 && bitmap.height > 0 ? bitmap.width * bitmap.height : 0);
    if (count == 0 || bitmap.pixels.size() < count) return {};
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32);
    for (int y = 0; y < bitmap.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.width; ++x) line[x] = bitmap.pixels[static_cast<size_t>(y * bitmap.width + x)];
    }
    return image;
}

QIcon toIcon(const plumage::Icon* icon)
{
    QIcon out;
    if (icon == nullptr) return out;
    for (const auto* b : {&icon->large, &icon->small}) {
        const QImage image = toImage(*b);
        if (!image.isNull()) out.addPixmap(QPixmap::fromImage(image));
    }
    return out;
}

QPixmap paintedPixmap(QSize size, double unitWidth, double unitHeight, const Painting& paint, const QColor& fill)
{
    QPixmap pm(size);
    pm.fill(fill);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / unitWidth, size.height() / unitHeight);
    paint(p);
    return pm;
}

namespace {

// Paints the picture at whatever size is asked for, so a desktop icon of
// 256 pixels is as sharp as a title-bar icon of 16.
class PaintedIconEngine : public QIconEngine {
public:
    PaintedIconEngine(double unitSize, Painting paint) : unit_(unitSize), paint_(std::move(paint)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        if (size.isEmpty()) return {};
        const QPixmap normal = paintedPixmap(size, unit_, unit_, paint_);
        // The default engine knows how a disabled or selected icon looks.
        return mode == QIcon::Normal ? normal : QIcon(normal).pixmap(size, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmap(rect.size() * ratio, mode, state);
        pm.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pm);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(64, 64), QSize(128, 128), QSize(256, 256)};
    }
    QIconEngine* clone() const override { return new PaintedIconEngine(unit_, paint_); }

private:
    double unit_;
    Painting paint_;
};

}  // namespace

QIcon paintedIcon(double unitSize, const Painting& paint)
{
    return QIcon(new PaintedIconEngine(unitSize, paint));
}

}  // namespace platform::qt
