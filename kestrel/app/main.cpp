// Kestrel: the manager program of the RHX/RQ9000 drive family.
#include <kestrel/ui/DemoTour.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <kestrel/ui/ListWindows.h>
#include <shell/CShellApp.h>

#include <platform/qt/QtFileDialog.h>
#include <platform/qt/QtMessageBox.h>

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    platform::qt::installMessageBoxHandler();
    platform::qt::installFileDialogHandler();

    shell::CShellApp shellApp(kestrel::shell(), kestrel::kestrelProgram());
    const auto tour = kestrel::DemoTour::fromEnvironment("kestrel");
    const shell::StartupEnd end =
        shellApp.start(shell::CShellApp::commandLineOf(app.arguments()), app.applicationFilePath().toStdString());
    int rc = 0;
    if (end == shell::StartupEnd::Started) {
        // A list file named on the command line opens in its window.
        if (shell::CMainFrame* frame = shellApp.mainFrame()) kestrel::openListArguments(*frame, app.arguments().mid(1));
        rc = app.exec();
    }
    shellApp.exit();
    return rc;
}
