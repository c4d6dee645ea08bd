#include <shell/CommPortTest.h>
#include <shell/ShellTexts.h>

#include <platform/Clock.h>
#include <platform/MessageBox.h>
#include <platform/PortMap.h>
#include <platform/MappedSerialPort.h>
#include <platform/PortProblem.h>

#include <cctype>
#include <memory>

namespace shell {

namespace {

using platform::SerialResult;

// One open line for the duration of a check, closed on every way out.
class OpenLine {
public:
    OpenLine(const PortSource& source, int port)
    {
        line_ = source ? source(port) : nullptr;
        std::string device;
        if (line_ == nullptr) {
            owned_ = std::make_unique<platform::MappedSerialPort>();
            line_ = owned_.get();
            device = platform::comPortDevice(port);
        }
        open_ = line_->open(device) == SerialResult::Ok;
        if (!open_ && owned_) problem_ = platform::withPortName(platform::comPortName(port), line_->problem());
    }
    ~OpenLine()
    {
        if (open_) line_->close();
    }
    bool isOpen() const { return open_; }
    const std::string& problem() const { return problem_; }
    void setRts(bool on)
    {
        rts_ = on;
        line_->setRts(on);  // a refusal shows in the CTS that follows
    }
    bool cts()
    {
        bool on = false;
        const SerialResult r = line_->cts(on);
        if (r == SerialResult::Unsupported) return rts_;
        return r == SerialResult::Ok && on;
    }

private:
    std::unique_ptr<platform::SerialPort> owned_;
    platform::SerialPort* line_ = nullptr;
    bool open_ = false;
    bool rts_ = false;
    std::string problem_;
};

}  // namespace

std::array<bool, kDialogPorts> probePorts(const PortSource& source)
{
    std::array<bool, kDialogPorts> available{};
    for (int n = 1; n <= kDialogPorts; ++n) available[size_t(n - 1)] = OpenLine(source, n).isOpen();
    return available;
}

int runPortTest(const PortSource& source, int port, const std::string& settingsString, PortTestTiming timing)
{
    int result = PortUntested;
    // No baud part: the settings cannot be applied, which answers like a dead network.
    OpenLine line(source, port);
    if (port >= 1 && !settingsString.empty() && std::isdigit(static_cast<unsigned char>(settingsString[0]))
        && line.isOpen())
        result = directionTest([&line](bool on) { line.setRts(on); }, [&line] { return line.cts(); }, timing);
    reportPortTest(result, line.problem());
    return result;
}

int directionTest(const std::function<void(bool)>& setRts, const std::function<bool()>& cts, PortTestTiming timing)
{
    int result = PortUntested;
    setRts(true);
    platform::sleepMs(timing.afterRaiseMs);
    if (cts()) {
        setRts(false);
        platform::sleepMs(timing.afterDropMs);
        result = cts() ? PortOtherDevice : PortGood;
    }
    setRts(false);
    return result;
}

void reportPortTest(int result, const std::string& problem)
{
    if (result == PortUntested)
        platform::showMessage(platform::addPortProblem(text::kNetworkNotResponding, problem));
    if (result == PortOtherDevice) platform::showMessage(text::kOtherDevice);
}

}  // namespace shell
