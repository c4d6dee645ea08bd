#pragma once
// Wren's pictures, drawn rather than loaded: bitmap 129 (a drive of the
// RHX/RQ9000 family: a tall wall-mounted unit), bitmap 130 (a drive of the
// LM3 family: a compact book-size unit), and icons 128 and 139.
#include <QIcon>
#include <QPixmap>

namespace wren {

QPixmap rhxPicture(QSize size);
QPixmap lm3Picture(QSize size);
QIcon selectorIcon();
QPixmap aboutPicture();

}  // namespace wren
