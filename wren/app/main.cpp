// Wren: the user picks a drive family; the family's manager program starts
// from Wren's directory and Wren ends.
#include <wren/ui/CWrenDlg.h>
#include <wren/ui/FamilyStarter.h>
#include <wren/ui/WrenTour.h>

#include <platform/InfoOptions.h>
#include <platform/qt/QtMessageBox.h>

#include <QApplication>

namespace {

constexpr const char* kUsage =
    "usage: wren\n"
    "\n"
    "The start-up program of the Aviary suite: pick a drive family and Wren\n"
    "starts its manager program (kestrel for RHX/RQ9000, merlin for LM3/LT4)\n"
    "from its own directory, then ends.\n"
    "\n"
    "  --help       show this text and end\n"
    "  --version    show the version and end\n"
    "\n"
    "See wren(1) and the user guide in /usr/share/doc/aviary/guide.md.\n";

}  // namespace

int main(int argc, char* argv[])
{
    if (const auto rc = platform::answerInfoOption(argc, argv, "wren", kUsage))
        return *rc;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Wren");
    QApplication::setDesktopFileName("aviary-wren");
    platform::qt::installMessageBoxHandler();
    const std::string programDir = wren::programDirectory(QApplication::applicationFilePath().toStdString());

    wren::CWrenDlg dialog;
    const auto tour = wren::tourFromEnvironment();
    if (dialog.exec() == QDialog::Accepted) wren::startFamily(programDir, dialog.choice());
    if (tour) tour->finish();
    return 0;
}
