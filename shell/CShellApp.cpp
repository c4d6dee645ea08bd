#include <shell/CCommDlg.h>
#include <shell/CShellApp.h>
#include <shell/CStartupDlg.h>
#include <shell/ShellContext.h>

#include <platform/qt/QtSingleInstance.h>
#include <plumage/plumage.h>

#include <QCoreApplication>
#include <QStringList>

namespace shell {

CShellApp::CShellApp(ShellContext& context, ProgramDescription program)
    : context_(context), program_(std::move(program)), instance_(getSoftwareName()),
      sequence_(context_, *this, instance_)
{
}

CShellApp::~CShellApp() = default;

std::string CShellApp::commandLineOf(const QStringList& arguments)
{
    return arguments.mid(1).join(' ').toStdString();
}

StartupEnd CShellApp::start(const std::string& commandLine, const std::string& executablePath)
{
    const StartupEnd end = sequence_.run({commandLine, executablePath, program_.cleanLeftovers, program_.startupCheck});
    if (end == StartupEnd::Started) {
        watcher_ = std::make_unique<platform::qt::ActivationWatcher>(instance_);
        watcher_->setWindow(frame_.get());
    }
    return end;
}

void CShellApp::exit() { sequence_.exit(); }

bool CShellApp::showStartupDialog() { return CStartupDlg::showStartupDialog(); }

bool CShellApp::createMainFrame()
{
    frame_ = std::make_unique<CMainFrame>(context_, program_);
    connect(frame_.get(), &CMainFrame::quitRequested, this, [] { QCoreApplication::exit(0); });
    if (frame_->create()) return true;
    frame_.reset();
    return false;
}

void CShellApp::removeOptionsMenu() { frame_->removeOptionsMenu(); }

void CShellApp::showMainFrameMaximized() { frame_->showMaximized(); }

bool CShellApp::showCommDialogAtStart()
{
    return CCommDlg::run(context_, program_.portSource, true, frame_.get(), program_.portTestTiming)
           != CCommDlg::Outcome::NoPort;
}

void CShellApp::destroyMainFrame() { frame_.reset(); }

}  // namespace shell
