#pragma once
// The branding library hands out plain pixel structs; the windows show them
// as Qt images.
#include <plumage/plumage.h>

#include <QIcon>
#include <QImage>

namespace platform::qt {

QImage toImage(const plumage::Bitmap& bitmap);
// Both sizes of an icon handle; a null handle gives an empty icon.
QIcon toIcon(const plumage::Icon* icon);

}  // namespace platform::qt
