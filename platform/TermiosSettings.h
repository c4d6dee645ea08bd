#pragma once
// SerialSettings onto an open tty through termios: always raw (no echo, no
// translation, CLOCAL, CREAD), with breaks and errored characters marked
// in-band (PARMRK, INPCK; see ParmrkDecoder) and reads that give EAGAIN, not
// 0, when the driver holds nothing.
#include <platform/SerialPort.h>

struct termios;

namespace platform {

// Turns settings into termios flags (raw mode, size, parity, stop bits, flow
// control, in-band marks); the speed is left alone.
void fillTermios(termios& t, const SerialSettings& s);

// Ok, InvalidSetting when the settings are not valid or the driver does not
// take them (the tty keeps its previous state then), IoError when the calls
// fail. Only settings that pass checkSettings() are applied.
// A pty has no wire: its driver always answers 8 bits without parity, so on
// a pty (pty = true) byte size and parity are set but not held against it.
SerialResult applyTermios(int fd, const SerialSettings& s, bool pty);

}  // namespace platform
