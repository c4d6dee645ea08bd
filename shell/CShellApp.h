#pragma once
// The application object: runs the start-up sequence with the real windows,
// owns the main frame and the single-instance lock, and saves the settings
// at exit. The program is what its description and its context say.
#include <shell/CMainFrame.h>
#include <shell/ProgramDescription.h>
#include <shell/StartupSequence.h>

#include <platform/SingleInstance.h>

#include <QObject>
#include <memory>

namespace platform::qt {
class ActivationWatcher;
}

namespace shell {

class ShellContext;


class CShellApp : public QObject, public StartupUi {
    Q_OBJECT
public:
    CShellApp(ShellContext& context, ProgramDescription program);
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
    ProgramDescription program_;
    platform::SingleInstance instance_;
    std::unique_ptr<platform::qt::ActivationWatcher> watcher_;
    std::unique_ptr<CMainFrame> frame_;
    StartupSequence sequence_;
};

}  // namespace shell
