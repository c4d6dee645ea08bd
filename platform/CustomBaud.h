#pragma once
// Baud rates that termios has no Bnnn constant for (14400 among them), set
// through termios2 and BOTHER. Kept in a file of its own: the kernel's
// <asm/termbits.h> that declares termios2 cannot share a translation unit
// with <termios.h>.
#include <platform/SerialPort.h>

#include <cstdint>

namespace platform {

// Sets both directions of an open tty to `baud` bits per second, leaving
// every other setting as it is. InvalidSetting when the driver refuses the
// rate or lands more than 2 % away from it; IoError when the calls fail.
SerialResult setCustomBaud(int fd, uint32_t baud);

}  // namespace platform
