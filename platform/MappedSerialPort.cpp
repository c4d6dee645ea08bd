#include <platform/MappedSerialPort.h>

#include <platform/LineOptions.h>
#include <platform/PosixSerialPort.h>
#include <platform/RemoteSerialPort.h>

namespace platform {

MappedSerialPort::MappedSerialPort() : line_(std::make_unique<PosixSerialPort>()) {}

MappedSerialPort::~MappedSerialPort() = default;

SerialResult MappedSerialPort::open(const std::string& device)
{
    const bool remote = parseRemoteAddress(device).has_value();
    if (remote != remote_ || remote) {
        // Switching kinds: the new line starts from what the old one was told.
        line_->close();
        const SerialSettings s = line_->settings();
        const CommTimeouts t = line_->timeouts();
        if (remote)
            line_ = std::make_unique<RemoteSerialPort>(networkAllowanceMs());
        else
            line_ = std::make_unique<PosixSerialPort>();
        line_->configure(s);
        line_->setTimeouts(t);
        remote_ = remote;
    }
    const SerialResult r = line_->open(device);
    if (r == SerialResult::Ok && !remote) {
        const int fd = static_cast<PosixSerialPort&>(*line_).fd();
        for (const std::string& note : applyLineOptions(fd, device, lineOptionsFor(device))) reportLineNote(note);
    }
    return r;
}

std::string diagnosePort(const std::string& device)
{
    MappedSerialPort port;
    if (port.open(device) != SerialResult::Ok) return port.problem();
    port.close();
    return {};
}

}  // namespace platform
