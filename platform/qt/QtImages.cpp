#include <platform/qt/QtImages.h>

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

QIcon paintedIcon(double unitSize, const Painting& paint)
{
    QIcon icon;
    for (int s : {16, 32, 48}) icon.addPixmap(paintedPixmap(QSize(s, s), unitSize, unitSize, paint));
    return icon;
}

}  // namespace platform::qt
