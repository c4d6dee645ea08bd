// Wren: the user picks a drive family; the family's manager program starts
// from Wren's directory and Wren ends.
#include <wren/ui/CWrenDlg.h>
#include <wren/ui/FamilyStarter.h>
#include <wren/ui/WrenTour.h>

#include <platform/qt/QtMessageBox.h>

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    platform::qt::installMessageBoxHandler();
    const std::string programDir = wren::programDirectory(QApplication::applicationFilePath().toStdString());

    wren::CWrenDlg dialog;
    const auto tour = wren::tourFromEnvironment();
    if (dialog.exec() == QDialog::Accepted) wren::startFamily(programDir, dialog.choice());
    if (tour) tour->finish();
    return 0;
}
