#pragma once
// Kestrel's share of the shell: its profile keys ("RTS", "Debug", "CTim" and
// the "Times" section) live in the telegram settings of the process state,
// because the telegram object reads them at every exchange; the applied
// port, the port-test result, the install directory and the debug log go
// there as well. The port test runs through Kestrel's serial control.
#include <shell/ShellContext.h>

#include <kestrel/core/KestrelState.h>

namespace kestrel {

class CTelegram;

class ShellContext : public shell::ShellContext {
public:
    bool ctim = false;                 // "Options"/"CTim": kept, toggled, not read
    CTelegram* telegram = nullptr;     // the one telegram object, made with the main frame

    KestrelState& process() { return state(); }
    TelegramSettings& timing() { return state().settings; }

    void loadProgramSettings(const platform::Profile& profile) override;
    bool saveProgramSettings(platform::Profile& profile) override;
    void commApplied(const shell::AppliedComm& applied) override;
    void portTestChanged(int result) override;
    std::array<bool, shell::kDialogPorts> probePorts(const shell::PortSource& source) override;
    int testPort(const shell::PortSource& source, const shell::AppliedComm& applied,
                 shell::PortTestTiming timing) override;
    void started() override;
    void closing() override;
};

// The one shell context of the process.
ShellContext& shell();

// The port test through CMSComm, RTS/CTS as the telegram object sees them:
// without RTS mode the control keeps RTS in a shadow that also answers for
// CTS, so the test then always ends good.
std::array<bool, shell::kDialogPorts> probePorts(const shell::PortSource& source);
int runPortTest(const shell::PortSource& source, int port, const std::string& settingsString, bool rtsMode,
                shell::PortTestTiming timing = {});

}  // namespace kestrel
