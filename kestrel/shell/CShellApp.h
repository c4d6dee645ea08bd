#pragma once
// The application object: runs the start-up sequence with the real windows,
// owns the main frame and the single-instance lock, and saves the settings
// at exit. Kestrel uses it as it is; Merlin hands in its own menus and
// switches off what it does not do.
#include <kestrel/shell/CMainFrame.h>
#include <kestrel/shell/StartupSequence.h>

#include <platform/SingleInstance.h>

#include <QObject>
#include <memory>

namespace platform::qt {
class ActivationWatcher;
}

namespace kestrel {

class ShellContext;

struct ShellConfig {
    MenuLayout mainMenu = kestrelMainMenu();
    MenuLayout childMenu = kestrelChildMenu();
    bool cleanLeftovers = true;
    PortSource portSource;                       // empty: the devices of the port map
    PortTestTiming portTestTiming;
    CMainFrame::TelegramFactory telegramFactory; // empty: the real telegram object
};

class CShellApp : public QObject, public StartupUi {
    Q_OBJECT
public:
    CShellApp(ShellContext& context, ShellConfig config = {});
    ~CShellApp() override;

    StartupEnd start(const std::string& commandLine, const std::string& executablePath);
    void exit();
    CMainFrame* mainFrame() const { return frame_.get(); }

    // The program's arguments as one command line: "/options", "/options x".
    static std::string commandLineOf(const QStringList& arguments);

    bool showStartupDialog() override;
    bool createMainFrame() override;
    void removeOptionsMenu() override;
    void showMainFrameMaximized() override;
    bool showCommDialogAtStart() override;
    void destroyMainFrame() override;

private:
    ShellContext& context_;
    ShellConfig config_;
    platform::SingleInstance instance_;
    std::unique_ptr<platform::qt::ActivationWatcher> watcher_;
    std::unique_ptr<CMainFrame> frame_;
    StartupSequence sequence_;
};

}  // namespace kestrel
