#pragma once
// The shell's share of the process-wide state: the settings of the profile,
// the options flag, the status-scan flag and the recent files. Everything the
// device code shares (install directory, port number, port-test result,
// tables, debug log, telegram timing) stays in kestrel::state(); the shell
// only fills it.
#include <kestrel/core/KestrelState.h>
#include <kestrel/shell/CommSettings.h>
#include <kestrel/shell/HelpViewer.h>
#include <kestrel/shell/ShellSettings.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrel {

class CTelegram;

class ShellContext {
public:
    ShellSettings settings;
    bool optionsFlag = false;
    bool statusScan = true;
    bool settingsLoaded = false;
    std::vector<std::string> recentFiles;   // most recent first, at most 4
    HelpState help;                         // the list dialog's strings
    CTelegram* telegram = nullptr;          // the one telegram object, made by the main frame

    KestrelState& process() { return state(); }
    TelegramSettings& timing() { return state().settings; }

    // ApplySettings: port number and settings string for the telegram
    // object, and the status-bar texts (handed to the pane listener).
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

private:
    std::function<void(const AppliedComm&)> paneListener_;
    AppliedComm applied_;
};

// The one shell context of the process.
ShellContext& shell();

}  // namespace kestrel
