#pragma once
// The application's start-up, step by step, and its exit. The windows it
// needs are behind StartupUi, so the order and the decisions are the same
// whether real windows or a test stand behind it.
#include <platform/SingleInstance.h>

#include <functional>
#include <string>

namespace shell {

class ShellContext;

class StartupUi {
public:
    virtual ~StartupUi() = default;
    // The start-up dialog; false when the user chose to end the program.
    virtual bool showStartupDialog() = 0;
    // The main frame (with the program's line object); false when it failed.
    virtual bool createMainFrame() = 0;
    virtual void removeOptionsMenu() = 0;
    virtual void showMainFrameMaximized() = 0;
    // The communication dialog opened at start; false when no port exists.
    virtual bool showCommDialogAtStart() = 0;
    // Takes the main frame down again after a failed start.
    virtual void destroyMainFrame() = 0;
};

struct StartupOptions {
    std::string commandLine;      // the arguments after the program name, joined by blanks
    std::string executablePath;
    bool cleanLeftovers = true;   // Kestrel removes old working files; Merlin does not
    // The program's own start-up check; a non-empty answer ends the start.
    std::function<std::string()> startupCheck;
};

enum class StartupEnd {
    Started,
    OtherInstance,        // the running instance was asked to come to the front
    CheckFailed,          // the program's start-up check failed (message shown)
    Declined,             // the start-up dialog was refused
    FrameFailed,
    NoInstallation,       // registry entry missing (message shown)
    NoPort,               // no COM port (message shown)
};

class StartupSequence {
public:
    StartupSequence(ShellContext& context, StartupUi& ui, platform::SingleInstance& instance);
    StartupEnd run(const StartupOptions& options);
    // Saves the settings; once, however often it is called.
    void exit();

    static std::string baseName(const std::string& path);
    // Deletes the working files an earlier run left in <install>/parameter
    // and <install>/custom; returns how many went.
    static int removeLeftovers(const std::string& installDir);

private:
    bool prepareInstallation();
    void finish(const StartupOptions& options);

    ShellContext& context_;
    StartupUi& ui_;
    platform::SingleInstance& instance_;
    bool exited_ = false;
};

}  // namespace shell
