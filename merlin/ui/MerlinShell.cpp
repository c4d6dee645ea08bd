#include <merlin/ui/MerlinShell.h>

#include <merlin/link/CTernLink.h>
#include <merlin/link/LinkProfile.h>
#include <merlin/core/ReceiveLog.h>

#include <platform/LineOptions.h>
#include <platform/MessageBox.h>
#include <platform/WorkingInstallation.h>

#include <filesystem>

#include <cstdlib>

namespace merlin {

namespace {

// A link for when no link server can be had: every call fails as a missing
// server does, so the windows report it and carry on.
class MissingLink : public CModbusLink {
public:
    bool OpenLink() override { return false; }
    bool OpenLinkWithTimeout(uint32_t) override { return false; }
    void CloseLink() override {}
    void SetRetries(int) override {}
    void RestoreRetries() override {}
    int ReadRegister(int, int, uint16_t&) override { return kLinkCallFailed; }
    int WriteRegister(int, int, uint16_t) override { return kLinkCallFailed; }
};

constexpr const char* kTimes = "Times";

}  // namespace

std::unique_ptr<CModbusLink> ShellContext::makeLink() const
{
    if (linkFactory) {
        if (auto link = linkFactory())
            return link;
        // Said once, where the link was wanted; the windows then meet a
        // link whose every call fails.
        platform::showMessage("Unable to Start Link Server", platform::MsgIcon::Exclamation);
        return std::make_unique<MissingLink>();
    }
    return std::make_unique<CTernLink>(state().link);
}

void ShellContext::loadProgramSettings(const platform::Profile& profile)
{
    state().link = loadLinkSettings(profile);
    state().debug = profile.getInt("Options", "Debug", 0) != 0;
}

// Port and baud rate are the shell's communication settings and are saved
// with them; only the Modbus timing is Merlin's own.
bool ShellContext::saveProgramSettings(platform::Profile& profile)
{
    const LinkSettings& link = state().link;
    bool ok = profile.writeInt(kTimes, "Repeat", link.retries);
    ok = profile.writeInt(kTimes, "ModBus Timeout", static_cast<int>(link.timeoutMs)) && ok;
    ok = profile.writeInt(kTimes, "ModBus Request Delay", static_cast<int>(link.requestDelayMs)) && ok;
    ok = profile.writeInt(kTimes, "ModBus Silent Interval", static_cast<int>(link.silentIntervalMs)) && ok;
    ok = profile.writeInt("Options", "Debug", state().debug ? 1 : 0) && ok;
    return ok;
}

void ShellContext::commApplied(const shell::AppliedComm& applied)
{
    state().link.comPort = applied.portNumber;
    const long baud = std::strtol(settings.baud.c_str(), nullptr, 10);
    if (baud > 0)
        state().link.baudRate = baud;
}

void ShellContext::started()
{
    // DeviceData, "netlist2.cfg" and "connect.txt" live in the working
    // installation; one without definition files (a bare demo or test
    // installation) gives way to the data that came with the program.
    std::string dir = programDir.empty() ? installDir : programDir;
    std::error_code ec;
    if (!std::filesystem::is_directory(dir + "/DeviceData", ec)) {
        const std::string shipped = platform::programInstallation();
        if (std::filesystem::is_directory(shipped + "/DeviceData", ec))
            dir = shipped;
    }
    state().installDir = dir;
    state().devices.load(dir);
    // Merlin opens a line itself only to tell why the link server could not;
    // a driver's refusal of a mode then goes to the Debug option's log.
    platform::setLineNoteSink([](const std::string& note) {
        return state().debug && appendReceiveLine(state().installDir, note);
    });
}

ShellContext& shell()
{
    static ShellContext context;
    return context;
}

}  // namespace merlin
