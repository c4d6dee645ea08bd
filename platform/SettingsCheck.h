#pragma once
// The one rule for which SerialSettings a line can take, so that a memory
// line refuses exactly what a real port refuses and tests see it early.
#include <platform/SerialPort.h>

namespace platform {

// Ok, or InvalidSetting for a zero baud rate, a byte size outside 5..8,
// an unknown parity, 1.5 stop bits or DTR/DSR flow control (termios has
// neither of the last two).
SerialResult checkSettings(const SerialSettings& s);

}  // namespace platform
