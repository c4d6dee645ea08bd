// Merlin: the manager program of the LM3/LT4 drive family.
#include <merlin/ui/MerlinDemoTour.h>
#include <merlin/ui/MerlinProgram.h>
#include <merlin/ui/MerlinShell.h>
#include <shell/CShellApp.h>

#include <platform/InfoOptions.h>
#include <platform/qt/QtFileDialog.h>
#include <platform/qt/QtMessageBox.h>

#include <QApplication>

namespace {

constexpr const char* kUsage =
    "usage: merlin [/options]\n"
    "\n"
    "The manager program of the LM3/LT4 drive family (Modbus through the link\n"
    "server tern, which the D-Bus session bus starts on demand).\n"
    "\n"
    "  /options     show the Options menu (Debug log, Modbus test)\n"
    "  --help       show this text and end\n"
    "  --version    show the version and end\n"
    "\n"
    "COM1..COM8 of the communication settings are Linux devices: the variable\n"
    "AVIARY_COM<n> (AVIARY_COM1=/dev/ttyUSB0), else COM<n>= in the section\n"
    "[Ports] of ~/.config/aviary/ports.ini, else /dev/ttyS<n-1>.\n"
    "See merlin(1) and the user guide in /usr/share/doc/aviary/guide.md.\n";

}  // namespace

int main(int argc, char* argv[])
{
    if (const auto rc = platform::answerInfoOption(argc, argv, "merlin", kUsage))
        return *rc;
    QApplication app(argc, argv);
    // The window class and the desktop entry tie the windows to Merlin's
    // own icon on a task bar (X11 WM_CLASS, Wayland app id).
    QApplication::setApplicationName("Merlin");
    QApplication::setDesktopFileName("aviary-merlin");
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
