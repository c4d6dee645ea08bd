#include <platform/TermiosSettings.h>

#include <platform/CustomBaud.h>
#include <platform/SettingsCheck.h>

#include <cerrno>
#include <optional>
#include <termios.h>

namespace platform {

namespace {

struct Speed {
    uint32_t rate;
    speed_t code;
};

constexpr Speed kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},         {134, B134},
    {150, B150},       {200, B200},       {300, B300},         {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},     {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {2000000, B2000000},
};

std::optional<speed_t> standardSpeed(uint32_t rate)
{
    for (const Speed& s : kSpeeds)
        if (s.rate == rate)
            return s.code;
    return std::nullopt;
}

tcflag_t sizeFlag(uint8_t bits)
{
    switch (bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

tcflag_t parityFlags(Parity p)
{
    switch (p) {
    case Parity::Odd: return PARENB | PARODD;
    case Parity::Even: return PARENB;
    case Parity::Mark: return PARENB | CMSPAR | PARODD;
    case Parity::Space: return PARENB | CMSPAR;
    case Parity::None: break;
    }
    return 0;
}

// The bits a driver may silently refuse (CMSPAR, CRTSCTS) are compared
// after setting, since tcsetattr succeeds when any part of a change took.
constexpr tcflag_t kCheckedCflag = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t kCheckedIflag = IXON | IXOFF | PARMRK | INPCK;

SerialResult setAndVerify(int fd, const termios& wanted, std::optional<speed_t> speed, bool pty)
{
    const tcflag_t checked = pty ? kCheckedCflag & ~(CSIZE | PARENB) : kCheckedCflag;
    // glibc answers EINVAL also when the driver took the settings but
    // changed size or parity bits (as a pty always does); what the line
    // really holds is compared below either way.
    if (::tcsetattr(fd, TCSANOW, &wanted) != 0 && errno != EINVAL)
        return SerialResult::IoError;
    termios got{};
    if (::tcgetattr(fd, &got) != 0)
        return SerialResult::IoError;
    if ((got.c_cflag & checked) != (wanted.c_cflag & checked) ||
        (got.c_iflag & kCheckedIflag) != (wanted.c_iflag & kCheckedIflag))
        return SerialResult::InvalidSetting;
    if (speed && cfgetospeed(&got) != *speed)
        return SerialResult::InvalidSetting;
    return SerialResult::Ok;
}

}  // namespace

void fillTermios(termios& t, const SerialSettings& s)
{
    cfmakeraw(&t);
    t.c_cflag &= ~kCheckedCflag;
    t.c_cflag |= CLOCAL | CREAD | sizeFlag(s.dataBits) | parityFlags(s.parity);
    if (s.stopBits == StopBits::Two)
        t.c_cflag |= CSTOPB;
    if (s.rtsCtsFlow)
        t.c_cflag |= CRTSCTS;
    // Breaks and framing errors come in-band; INPCK also without parity,
    // or the kernel would hand over a badly framed character unmarked.
    t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | IXON | IXOFF | IXANY);
    t.c_iflag |= PARMRK | INPCK;
    if (s.xonXoff) {
        t.c_iflag |= IXON | IXOFF;
        t.c_cc[VSTART] = 0x11;
        t.c_cc[VSTOP] = 0x13;
    }
    // VMIN 1 makes an empty non-blocking read fail with EAGAIN; with
    // VMIN 0 it would return 0, which could not be told from a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

SerialResult applyTermios(int fd, const SerialSettings& s, bool pty)
{
    const SerialResult valid = checkSettings(s);
    if (valid != SerialResult::Ok)
        return valid;
    termios old{};
    if (::tcgetattr(fd, &old) != 0)
        return SerialResult::IoError;
    termios t = old;
    fillTermios(t, s);
    // Rates without a Bnnn constant start from any valid code and are then
    // set exactly through termios2.
    const std::optional<speed_t> speed = standardSpeed(s.baudRate);
    if (::cfsetispeed(&t, speed.value_or(B38400)) != 0 ||
        ::cfsetospeed(&t, speed.value_or(B38400)) != 0)
        return SerialResult::InvalidSetting;
    SerialResult r = setAndVerify(fd, t, speed, pty);
    if (r == SerialResult::Ok && !speed)
        r = setCustomBaud(fd, s.baudRate);
    if (r != SerialResult::Ok && ::tcsetattr(fd, TCSANOW, &old) != 0)
        return SerialResult::IoError;
    return r;
}

}  // namespace platform
