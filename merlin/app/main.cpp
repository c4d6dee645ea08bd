// Merlin: the manager program of the LM3/LT4 drive family.
#include <merlin/ui/MerlinDemoTour.h>
#include <merlin/ui/MerlinProgram.h>
#include <merlin/ui/MerlinShell.h>
#include <shell/CShellApp.h>

#include <platform/qt/QtFileDialog.h>
#include <platform/qt/QtMessageBox.h>

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    platform::qt::installMessageBoxHandler();
    platform::qt::installFileDialogHandler();

    shell::CShellApp shellApp(merlin::shell(), merlin::merlinProgram());
    const auto tour = merlin::MerlinDemoTour::fromEnvironment();
    const shell::StartupEnd end =
        shellApp.start(shell::CShellApp::commandLineOf(app.arguments()), app.applicationFilePath().toStdString());
    int rc = 0;
    if (end == shell::StartupEnd::Started)
        rc = app.exec();
    shellApp.exit();
    return rc;
}
