#include <platform/CustomBaud.h>

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace platform {

SerialResult setCustomBaud(int fd, uint32_t baud)
{
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return SerialResult::IoError;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    if (::ioctl(fd, TCSETS2, &t) != 0)
        return errno == EINVAL ? SerialResult::InvalidSetting : SerialResult::IoError;
    // A driver rounds to what its clock divider gives; a rate far off that
    // would garble every character is no rate at all.
    struct termios2 back {};
    if (::ioctl(fd, TCGETS2, &back) != 0)
        return SerialResult::IoError;
    const uint64_t got = back.c_ospeed;
    const uint64_t diff = got > baud ? got - baud : baud - got;
    return diff * 50 <= baud ? SerialResult::Ok : SerialResult::InvalidSetting;
}

}  // namespace platform
