// Kestrel: the manager program of the RHX/RQ9000 drive family.
#include <kestrel/shell/CShellApp.h>
#include <kestrel/shell/DemoTour.h>
#include <kestrel/shell/ShellContext.h>

#include <platform/qt/QtFileDialog.h>
#include <platform/qt/QtMessageBox.h>

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    platform::qt::installMessageBoxHandler();
    platform::qt::installFileDialogHandler();

    kestrel::CShellApp shellApp(kestrel::shell());
    const auto tour = kestrel::DemoTour::fromEnvironment("kestrel");
    const kestrel::StartupEnd end =
        shellApp.start(kestrel::CShellApp::commandLineOf(app.arguments()), app.applicationFilePath().toStdString());
    int rc = 0;
    if (end == kestrel::StartupEnd::Started) {
        rc = app.exec();
    }
    shellApp.exit();
    return rc;
}
