#pragma once
// Merlin's share of the shell: the link settings of its profile ("Times":
// "Repeat", "ModBus Timeout", "ModBus Request Delay", "ModBus Silent
// Interval"; port and baud from the communication settings), the Debug
// option, and the factory of the link objects its windows hold.
#include <shell/ShellContext.h>

#include <merlin/core/CModbusLink.h>
#include <merlin/core/MerlinState.h>

#include <functional>
#include <memory>

namespace merlin {

namespace text {
inline constexpr const char* kOleInitFailed = "Ole Init failed !";
// What a Linux user can do about it, on the line below.
inline constexpr const char* kNoSessionBus =
    "The D-Bus session bus is missing: start Merlin from a desktop session or under dbus-run-session.";
}

using LinkFactory = std::function<std::unique_ptr<CModbusLink>()>;

class ShellContext : public shell::ShellContext {
public:
    // Makes the link object of one window; empty: Tern's link with the
    // settings of the moment. A test sets its own.
    LinkFactory linkFactory;
    // Where DeviceData, "netlist2.cfg" and "connect.txt" live; empty: the
    // working installation (or the program's own data when that has no
    // definition files).
    std::string programDir;
    MerlinState& process() { return state(); }
    std::unique_ptr<CModbusLink> makeLink() const;

    void loadProgramSettings(const platform::Profile& profile) override;
    bool saveProgramSettings(platform::Profile& profile) override;
    void commApplied(const shell::AppliedComm& applied) override;
    void started() override;
    // The Modbus family's drives come set to 19200 baud.
    std::string usualBaud() const override { return "19200"; }
};

// The one shell context of the process.
ShellContext& shell();

}  // namespace merlin
