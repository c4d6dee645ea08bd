#include <kestrel/ui/KestrelShell.h>

#include <kestrel/core/CMSComm.h>

#include <platform/LineOptions.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kestrel {

using shell::PortOtherDevice;
using shell::PortUntested;

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kOptions = "Options";
constexpr const char* kTimes = "Times";

bool openControl(CMSComm& control, const shell::PortSource& source, int port)
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

void ShellContext::loadProgramSettings(const platform::Profile& p)
{
    TelegramSettings& t = timing();
    t.rtsMode = p.getInt(kSettings, "RTS", 0) != 0;
    t.debug = p.getInt(kOptions, "Debug", 0) != 0;
    ctim = p.getInt(kOptions, "CTim", 0) != 0;
    t.repeat = p.getInt(kTimes, "Repeat", 8);
    t.delayNak = p.getInt(kTimes, "DelayNAK", 1200);
    t.tRts = p.getInt(kTimes, "tRTS", 30);
    t.tWait = p.getInt(kTimes, "tWait", 50);
    t.tCycle = p.getInt(kTimes, "tCycle", 500);
}

bool ShellContext::saveProgramSettings(platform::Profile& p)
{
    const TelegramSettings& t = timing();
    bool ok = p.writeInt(kSettings, "RTS", t.rtsMode ? 1 : 0);
    ok = p.writeInt(kOptions, "Debug", t.debug ? 1 : 0) && ok;
    ok = p.writeInt(kOptions, "CTim", ctim ? 1 : 0) && ok;
    ok = p.writeInt(kTimes, "Repeat", t.repeat) && ok;
    ok = p.writeInt(kTimes, "DelayNAK", t.delayNak) && ok;
    ok = p.writeInt(kTimes, "tRTS", t.tRts) && ok;
    ok = p.writeInt(kTimes, "tWait", t.tWait) && ok;
    ok = p.writeInt(kTimes, "tCycle", t.tCycle) && ok;
    return ok;
}

void ShellContext::commApplied(const shell::AppliedComm& applied)
{
    timing().port = applied.portNumber;
    timing().commSettings = applied.settingsString;
}

void ShellContext::portTestChanged(int result)
{
    process().portTestResult = result;
    if (result == PortOtherDevice) timing().port = 0;
}

std::array<bool, shell::kDialogPorts> ShellContext::probePorts(const shell::PortSource& source)
{
    return kestrel::probePorts(source);
}

int ShellContext::testPort(const shell::PortSource& source, const shell::AppliedComm& applied,
                           shell::PortTestTiming timing)
{
    return runPortTest(source, applied.portNumber, applied.settingsString, this->timing().rtsMode, timing);
}

void ShellContext::started()
{
    KestrelState& s = process();
    s.installDir = installDir;
    // Without its log the program still works; the debug lines are then lost.
    if (!s.log.open(s.installDir + "/Receive.txt")) std::fprintf(stderr, "Receive.txt: %s\n", std::strerror(errno));
    // A driver that refuses RS-485 or low-latency mode is worth a line in the
    // debug log, written once the "Debug" setting lets it through.
    platform::setLineNoteSink([](const std::string& note) {
        KestrelState& k = state();
        if (!k.settings.debug || !k.log.isOpen()) return false;
        k.log.line(note);
        return true;
    });
    s.windowPresence.assign(kAddressCount, '0');
    s.deviceStatus.assign(kAddressCount, '0');
}

void ShellContext::closing() { process().log.close(); }

ShellContext& shell()
{
    static ShellContext instance;
    return instance;
}

std::array<bool, shell::kDialogPorts> probePorts(const shell::PortSource& source)
{
    std::array<bool, shell::kDialogPorts> available{};
    for (int n = 1; n <= shell::kDialogPorts; ++n) {
        CMSComm control;
        available[size_t(n - 1)] = openControl(control, source, n);
        control.SetPortOpen(false);
    }
    return available;
}

int runPortTest(const shell::PortSource& source, int port, const std::string& settingsString, bool rtsMode,
                shell::PortTestTiming timing)
{
    CMSComm control;
    int result = PortUntested;
    // A port that refuses the settings or does not open answers like a dead network.
    if (control.SetSettings(settingsString) && openControl(control, source, port)) {
        DirectionLine direction(control, rtsMode);
        result = shell::directionTest([&direction](bool on) { direction.setRts(on); },
                                      [&direction] { return direction.cts(); }, timing);
    }
    const std::string problem = control.problem();
    control.SetPortOpen(false);
    shell::reportPortTest(result, problem);
    return result;
}

}  // namespace kestrel
