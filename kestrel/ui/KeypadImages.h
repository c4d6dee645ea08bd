#pragma once
// The run buttons' 14 x 14 pictures of the keypad window, drawn rather than
// loaded: FWD, REV and STOP, each unlit and lit (resources 147/168, 148/170,
// 149/169).
#include <QIcon>

namespace kestrel {

QIcon keypadIcon(int resource);

}  // namespace kestrel
