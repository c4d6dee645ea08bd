#include <kestrel/shell/CommPortTest.h>
#include <kestrel/shell/ShellTexts.h>

#include <platform/Clock.h>
#include <platform/MessageBox.h>

namespace kestrel {

namespace {

bool openControl(CMSComm& control, const PortSource& source, int port)
{
    control.attach(source ? source(port) : nullptr);
    control.SetCommPort(static_cast<short>(port));
    return control.SetPortOpen(true);
}

// RTS and CTS as the telegram object sees them: the control's lines in RTS
// mode, otherwise a shadow flag standing for both.
class DirectionLine {
public:
    DirectionLine(CMSComm& control, bool rtsMode) : control_(control), rtsMode_(rtsMode) {}
    void setRts(bool on)
    {
        shadow_ = on;
        if (rtsMode_) rtsWorks_ = control_.SetRTSEnable(on);
    }
    bool cts()
    {
        if (!rtsMode_) return shadow_;
        return rtsWorks_ && control_.GetCTSHolding();
    }
private:
    CMSComm& control_;
    bool rtsMode_;
    bool shadow_ = false;
    bool rtsWorks_ = true;
};

}  // namespace

std::array<bool, kDialogPorts> probePorts(const PortSource& source)
{
    std::array<bool, kDialogPorts> available{};
    for (int n = 1; n <= kDialogPorts; ++n) {
        CMSComm control;
        available[size_t(n - 1)] = openControl(control, source, n);
        control.SetPortOpen(false);
    }
    return available;
}

int runPortTest(const PortSource& source, int port, const std::string& settingsString, bool rtsMode,
                PortTestTiming timing)
{
    CMSComm control;
    int result = PortUntested;
    // A port that refuses the settings or does not open answers like a dead network.
    if (control.SetSettings(settingsString) && openControl(control, source, port)) {
        DirectionLine direction(control, rtsMode);
        direction.setRts(true);
        platform::sleepMs(timing.afterRaiseMs);
        if (direction.cts()) {
            direction.setRts(false);
            platform::sleepMs(timing.afterDropMs);
            result = direction.cts() ? PortOtherDevice : PortGood;
        }
        direction.setRts(false);
    }
    control.SetPortOpen(false);
    if (result == PortUntested) platform::showMessage(text::kNetworkNotResponding);
    if (result == PortOtherDevice) platform::showMessage(text::kOtherDevice);
    return result;
}

}  // namespace kestrel
