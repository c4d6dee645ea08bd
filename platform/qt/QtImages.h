#pragma once
// The branding library hands out plain pixel structs; the windows show them
// as Qt images.
#include <plumage/plumage.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <functional>

class QPainter;

namespace platform::qt {

QImage toImage(const plumage::Bitmap& bitmap);
// Both sizes of an icon handle; a null handle gives an empty icon.
QIcon toIcon(const plumage::Icon* icon);

// Pictures drawn in code: paint() draws on a unit-sized canvas (unitWidth x
// unitHeight) with antialiasing; it is scaled to the pixmap's size.
using Painting = std::function<void(QPainter&)>;
QPixmap paintedPixmap(QSize size, double unitWidth, double unitHeight, const Painting& paint,
                      const QColor& fill = Qt::transparent);
// The same drawing as an icon, painted afresh at every size asked for.
QIcon paintedIcon(double unitSize, const Painting& paint);

}  // namespace platform::qt
