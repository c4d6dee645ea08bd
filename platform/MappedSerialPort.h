#pragma once
// The serial port a port-map entry names: open() looks at the device text
// and runs the line on a RemoteSerialPort (tcp://, rfc2217://) or on a
// PosixSerialPort (a device path). Settings and time-outs given before the
// open carry over to whichever it becomes.
#include <platform/SerialPort.h>

#include <memory>

namespace platform {

class MappedSerialPort : public SerialPort {
public:
    MappedSerialPort();
    ~MappedSerialPort() override;

    SerialResult open(const std::string& device) override;
    SerialResult close() override { return line_->close(); }
    bool isOpen() const override { return line_->isOpen(); }

    SerialResult configure(const SerialSettings& s) override { return line_->configure(s); }
    SerialSettings settings() const override { return line_->settings(); }
    SerialResult setTimeouts(const CommTimeouts& t) override { return line_->setTimeouts(t); }
    CommTimeouts timeouts() const override { return line_->timeouts(); }

    SerialResult read(uint8_t* buf, size_t max, size_t& got) override { return line_->read(buf, max, got); }
    SerialResult write(const uint8_t* data, size_t len, size_t& written) override
    {
        return line_->write(data, len, written);
    }

    SerialResult setRts(bool on) override { return line_->setRts(on); }
    SerialResult setDtr(bool on) override { return line_->setDtr(on); }
    SerialResult cts(bool& on) override { return line_->cts(on); }

    SerialResult inputQueue(size_t& count) override { return line_->inputQueue(count); }
    SerialResult outputQueue(size_t& count) override { return line_->outputQueue(count); }
    SerialResult purge(bool input, bool output) override { return line_->purge(input, output); }
    SerialResult drain() override { return line_->drain(); }
    SerialResult sendBreak(unsigned ms) override { return line_->sendBreak(ms); }
    uint32_t takeEvents() override { return line_->takeEvents(); }

    std::string problem() const override { return line_->problem(); }
    uint32_t latencyAllowanceMs() const override { return line_->latencyAllowanceMs(); }

private:
    std::unique_ptr<SerialPort> line_;
    bool remote_ = false;
};

// Opens and closes `device` to find out why a program could not use it:
// the problem text, or empty when it opens now. For a program that reaches
// its port through another process (Merlin through the link server).
std::string diagnosePort(const std::string& device);

}  // namespace platform
