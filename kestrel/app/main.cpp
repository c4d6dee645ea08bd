// Kestrel: the manager program of the RHX/RQ9000 drive family.
#include <kestrel/ui/DemoTour.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <kestrel/ui/ListWindows.h>
#include <shell/CShellApp.h>

#include <platform/InfoOptions.h>
#include <platform/qt/QtFileDialog.h>
#include <platform/qt/QtMessageBox.h>

#include <QApplication>

namespace {

constexpr const char* kUsage =
    "usage: kestrel [/options] [FILE.par | FILE.ctm ...]\n"
    "\n"
    "The manager program of the RHX/RQ9000 drive family (SIO protocol on a\n"
    "serial line). Parameter files and custom lists named on the command line\n"
    "open in their list windows.\n"
    "\n"
    "  /options     show the Options menu (Debug log, start-up dialogs)\n"
    "  --help       show this text and end\n"
    "  --version    show the version and end\n"
    "\n"
    "COM1..COM8 of the communication settings are Linux devices: the variable\n"
    "AVIARY_COM<n> (AVIARY_COM1=/dev/ttyUSB0), else COM<n>= in the section\n"
    "[Ports] of ~/.config/aviary/ports.ini, else /dev/ttyS<n-1>.\n"
    "See kestrel(1) and the user guide in /usr/share/doc/aviary/guide.md.\n";

}  // namespace

int main(int argc, char* argv[])
{
    if (const auto rc = platform::answerInfoOption(argc, argv, "kestrel", kUsage))
        return *rc;
    QApplication app(argc, argv);
    // The window class and the desktop entry tie the windows to Kestrel's
    // own icon on a task bar (X11 WM_CLASS, Wayland app id).
    QApplication::setApplicationName("Kestrel");
    QApplication::setDesktopFileName("aviary-kestrel");
    platform::qt::installMessageBoxHandler();
    platform::qt::installFileDialogHandler();

    shell::ProgramDescription program = kestrel::kestrelProgram();
    program.programName = "Kestrel";
    shell::CShellApp shellApp(kestrel::shell(), program);
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
