#pragma once
// The shell's share of the process-wide state: the settings of the profile,
// the install directory, the options and status-scan flags, the recent files
// and the port-test result. A program derives its own context from this one
// to keep what its device code shares in its own process state: the virtual
// members below are where the shell hands over (settings keys of its own,
// the applied port settings, the port test of its serial control, the log
// it opens at start and closes with the main window).
#include <platform/CommSettings.h>
#include <platform/ShellSettings.h>
#include <shell/CommPortTest.h>
#include <shell/HelpViewer.h>

#include <functional>
#include <string>
#include <vector>

namespace shell {

// The profile's settings and their meaning for the line live below the
// shell, where programs without windows share them.
using platform::AppliedComm;
using platform::ShellSettings;

class ShellContext {
public:
    ShellContext() = default;
    ShellContext(const ShellContext&) = default;
    ShellContext& operator=(const ShellContext&) = default;
    virtual ~ShellContext() = default;

    ShellSettings settings;
    std::string installDir;                 // no trailing separator
    bool optionsFlag = false;
    bool statusScan = true;
    bool settingsLoaded = false;
    int portTestResult = PortUntested;
    std::vector<std::string> recentFiles;   // most recent first, at most 4
    HelpState help;                         // the list dialog's strings

    // ApplySettings: port number and settings string for the program's line,
    // and the status-bar texts (handed to the pane listener).
    AppliedComm applySettings();
    void setPaneListener(std::function<void(const AppliedComm&)> listener) { paneListener_ = std::move(listener); }
    const AppliedComm& applied() const { return applied_; }

    // Port test of the communication dialog: 1 (another device) also
    // takes the port number away, so device commands refuse to run.
    void setPortTestResult(int result);
    // Device commands ask this first; false after the message was shown.
    bool portUsable() const;

    // The profile the settings live in: the company's key, the program's name.
    static platform::Profile profile();
    void load();
    bool save();

    // Recent-file list of the File menu ("Recent File List" of the profile).
    void addRecentFile(const std::string& path);

    // --- The program's share ---
    virtual void loadProgramSettings(const platform::Profile&) {}
    virtual bool saveProgramSettings(platform::Profile&) { return true; }
    // The applied port number and settings string reach the program's line.
    virtual void commApplied(const AppliedComm&) {}
    virtual void portTestChanged(int /*result*/) {}
    // The communication dialog's ports: which open, and the RTS/CTS test.
    virtual std::array<bool, kDialogPorts> probePorts(const PortSource& source) { return shell::probePorts(source); }
    virtual int testPort(const PortSource& source, const AppliedComm& applied, PortTestTiming timing)
    {
        return runPortTest(source, applied.portNumber, applied.settingsString, timing);
    }
    // The rate the family's drives leave the factory with: preselected when
    // no rate is stored yet, so OK never stores an empty one.
    virtual std::string usualBaud() const { return "9600"; }
    // Start-up has found the installation (the last step before the program runs).
    virtual void started() {}
    // The main window closes for good.
    virtual void closing() {}

private:
    std::function<void(const AppliedComm&)> paneListener_;
    AppliedComm applied_;
};

}  // namespace shell
