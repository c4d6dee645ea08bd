#include <merlin/ui/MerlinDemoTour.h>

#include <merlin/ui/CNetworkDlg.h>
#include <merlin/ui/CParameterFrame.h>
#include <merlin/ui/MerlinCommands.h>
#include <shell/CMainFrame.h>

#include <QAbstractButton>
#include <QDialog>
#include <QMdiArea>
#include <QRadioButton>
#include <QTimer>

#include <cstdlib>

namespace merlin {

using platform::qt::ScreenTour;

namespace {

void runLater(QWidget* window, int command)
{
    QTimer::singleShot(0, window, [window, command] {
        if (auto* frame = qobject_cast<shell::CMainFrame*>(window))
            frame->execute(command);
    });
}

}  // namespace

std::unique_ptr<MerlinDemoTour> MerlinDemoTour::fromEnvironment()
{
    const char* dir = std::getenv("AVIARY_DEMO_TOUR");
    if (dir == nullptr || *dir == '\0')
        return nullptr;
    return std::make_unique<MerlinDemoTour>(QString::fromLocal8Bit(dir));
}

MerlinDemoTour::MerlinDemoTour(const QString& directory)
    : tour_(std::make_unique<ScreenTour>(directory, "merlin"))
{
    ScreenTour* t = tour_.get();
    t->step("startupDialog", "startup", [](QWidget* w) { ScreenTour::clickLater(w, "yesButton"); });
    t->step("commDialog", "communication", [](QWidget* w) {
        if (auto* b = w->findChild<QRadioButton*>("baud19200"))
            b->setChecked(true);
        if (auto* b = w->findChild<QRadioButton*>("portCOM2"); b && b->isEnabled())
            b->setChecked(true);
        ScreenTour::clickLater(w, "okButton");
    });
    t->step("mainFrame", "main-frame", [t](QWidget* w) {
        t->save(ScreenTour::grabWithMenu(qobject_cast<shell::CMainFrame*>(w), 1), "menu-inverter");
        runLater(w, cmd::CheckNetwork);
    });
    t->step("networkDialog", "network", [](QWidget* w) {
        QTimer::singleShot(0, w, [w] {
            auto* dialog = qobject_cast<ui::CNetworkDlg*>(w);
            dialog->selectRow(1);
            dialog->accept();
        });
    });
    t->step("mainFrame", "", [t](QWidget* w) {
        // The view scans a few seconds before its picture is taken; then the
        // tools, one after the other: each command returns when its window
        // is closed by the steps below.
        QTimer::singleShot(3000, w, [t, w] {
            t->save(w->grab(), "parameter-view-online");
            auto* frame = qobject_cast<shell::CMainFrame*>(w);
            for (int command : {int(cmd::UploadAll), int(cmd::CompareDefaults), int(cmd::FilePrintPreview),
                                int(cmd::Keypad)})
                frame->execute(command);
        });
    });
    t->step("progressDialog", "upload-all", [](QWidget*) {});
    t->step("compareDialog", "compare-defaults", [](QWidget* w) {
        QTimer::singleShot(0, w, [w] { qobject_cast<QDialog*>(w)->accept(); });
    });
    t->step("printPreview", "print-preview", [](QWidget* w) {
        QTimer::singleShot(0, w, [w] { qobject_cast<QDialog*>(w)->reject(); });
    });
    t->step("keypadDialog", "keypad", [](QWidget* w) {
        QTimer::singleShot(500, w, [w] {
            w->close();
            // The frames of the whole tour, in the Bus Monitor.
            qobject_cast<shell::CMainFrame*>(w->parentWidget())->execute(cmd::BusMonitor);
        });
    });
    t->step("busMonitorDialog", "bus-monitor", [](QWidget* w) {
        QTimer::singleShot(500, w, [w] {
            w->close();
            // Where Tern's COM number leads, in the Modbus Test dialog.
            runLater(w->parentWidget(), cmd::ModbusTest);
        });
    });
    t->step("modbusTestDialog", "modbus-test", [](QWidget* w) {
        QTimer::singleShot(0, w, [w] {
            auto* frame = qobject_cast<shell::CMainFrame*>(w->parentWidget());
            qobject_cast<QDialog*>(w)->reject();
            // The tour's document is not the user's: close without asking,
            // and before the frame, which refuses to close over open lists.
            for (auto* doc : frame->findChildren<ui::CParameterFrame*>())
                doc->document().modified = false;
            frame->mdiArea()->closeAllSubWindows();
            QTimer::singleShot(0, frame, [frame] { frame->close(); });
        });
    });
    t->start(250, 120000);
}

MerlinDemoTour::~MerlinDemoTour() { tour_->finish(); }

}  // namespace merlin
