// An engineer's day on the online windows, offscreen, against the SIO
// simulator on a pseudo-terminal: Check Network finds two drives of two
// software versions, one is renamed, Connect uploads the missing database,
// Upload All and Download All (to the other drive, after the parameter-set
// question), the keypad runs and stops a drive, the fault history shows the
// drive's faults; and the Converter Test on its own.
#include "KestrelOnPty.h"

#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/ExaminationModel.h>
#include <kestrel/core/FaultHistory.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/TransferCommands.h>
#include <shell/CMSHFlexGrid.h>
#include <kestrel/ui/CCloseOptionsDlg.h>
#include <kestrel/ui/CConverterTestDlg.h>
#include <kestrel/ui/CExamDlg.h>
#include <kestrel/ui/CFaultDlg.h>
#include <kestrel/ui/CKeypadDlg.h>
#include <kestrel/ui/CNetworkDlg.h>
#include <kestrel/ui/CParamSetDlg.h>
#include <kestrel/ui/CWarmUpDlg.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/KestrelOnline.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/ListWindows.h>
#include <shell/CMainFrame.h>
#include <sim/sio/SioBus.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

using namespace kestrel;
using platform::MsgAnswer;
using platform::MsgIcon;

namespace {

// Every window fits a 1024 x 768 screen. With AVIARY_TEST_SHOTS set, the
// window is also saved there as a picture to look at.
void fitsScreen(QWidget* w, const char* name)
{
    QVERIFY2(w->width() <= 1024 && w->height() <= 768,
             qPrintable(QString("%1: %2 x %3").arg(name).arg(w->width()).arg(w->height())));
    if (const char* dir = std::getenv("AVIARY_TEST_SHOTS")) w->grab().save(QString("%1/%2.png").arg(dir, name));
}

}  // namespace

class OnlineWindowsTest : public QObject, shelltest::KestrelOnPty {
    Q_OBJECT

    CTelegram* telegram = nullptr;
    KestrelOnline* online = nullptr;
    std::string openedList;

    uint16_t driveValue(int address, uint16_t number) { return drives->value(address, number); }
    template <typename F>
    void withDrive(int address, F f)
    {
        bus->withDrive(address, [&](sim::SioDrive& d) { f(d); });
    }
    TransferList listOf(const std::string& work, const std::string& address)
    {
        return {work, "/tvk/RQ-1808.tvk", address, address.empty() ? "" : DeviceTitle(address).title, "LIST  A"};
    }
    void expectLineFree()
    {
        QVERIFY(!state().operationInProgress);
        QVERIFY(!state().port.foregroundActive);
        QVERIFY(!telegram->control().GetPortOpen());
    }

private slots:
    void initTestCase()
    {
        std::string error;
        // The drives answer from a thread of this process: the wait leaves
        // room for a machine busy with other tests.
        QVERIFY2(startLine("1:1808,2:1808,6:1812", 15, error), error.c_str());
        telegram = kestrel::shell().telegram;
        QVERIFY(telegram != nullptr);
        online = KestrelOnline::of(*frame);
        QVERIFY(online != nullptr);
        online->setListOpener([this](const TransferJob& list) { openedList = list.listFile; });
        CWarmUpDlg::setTickMs(5);
    }

    void cleanupTestCase() { stopLine(); }
    // A dialog a function expected and never saw fails that function.
    void cleanup() { world->modals.verify(); }

    // Check Network, rename drive 1, Connect with the databank upload.
    void checkNetworkRenameAndConnect()
    {
        bool sawDialog = false;
        world->modals.expect<CNetworkDlg>([&](CNetworkDlg* dlg) {
            sawDialog = true;
            fitsScreen(dlg, "network-dialog");
            const auto& rows = dlg->model().view().rows;
            QCOMPARE(rows.size(), size_t(3));
            QCOMPARE(rows[2].cells[0], std::string("6"));
            // The arrow keys move the selection; the name edit follows.
            dlg->grid()->setFocus();
            QTest::keyClick(dlg->grid(), Qt::Key_Down);
            QCOMPARE(dlg->model().view().selected, 1);
            QCOMPARE(dlg->nameEdit()->text().toStdString(), rows[1].cells[2]);
            QCOMPARE(dlg->model().view().rows[1].background, NetworkDialogModel::kHighlight);
            QTest::keyClick(dlg->grid(), Qt::Key_Up);
            QCOMPARE(dlg->model().view().selected, 0);
            QCOMPARE(dlg->model().view().rows[1].background, NetworkDialogModel::kWhite);
            // Entering the name edit selects its text.
            QTest::mouseClick(dlg->nameEdit(), Qt::LeftButton);
            QTRY_VERIFY(dlg->nameEdit()->hasFocus());
            QTRY_COMPARE(dlg->nameEdit()->selectedText(), dlg->nameEdit()->text());
            dlg->selectRow(0);
            dlg->typeName("Mixer");
            dlg->clickChangeName();
            QCOMPARE(dlg->model().view().rows[0].cells[2], std::string("Mixer"));
            world->messages->expect(kDatabankQuestion, MsgIcon::Question, MsgAnswer::Yes);
            world->messages->expect("Information successfully uploaded", MsgIcon::Exclamation);
            dlg->clickConnect(false);
        });
        // The list opens while the network dialog is still up; it closes after.
        bool dialogUpAtList = false;
        online->setListOpener([this, &dialogUpAtList](const TransferJob& list) {
            openedList = list.listFile;
            dialogUpAtList = qobject_cast<CNetworkDlg*>(QApplication::activeModalWidget()) != nullptr;
        });
        world->modals.expect<CExamDlg>([](CExamDlg* dlg) { fitsScreen(dlg, "examination"); });
        frame->updateCommandStates();
        QVERIFY(frame->action(kestrel::cmd::CheckNetwork)->isEnabled());
        frame->action(kestrel::cmd::CheckNetwork)->trigger();
        online->setListOpener([this](const TransferJob& list) { openedList = list.listFile; });
        QVERIFY(sawDialog);
        QVERIFY(dialogUpAtList);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(world->messages->pending() == 0);
        CDeviceTable table;
        QVERIFY(table.load(CDeviceTable::defaultPath()));
        QCOMPARE(table.name(1), std::string("Mixer"));
        QCOMPARE(openedList, CWorkFile::onlinePath(world->install, "1"));
        QCOMPARE(CWorkFile(openedList).recordCount(), size_t(194));
        QCOMPARE(state().databaseFileName, std::string("/tvk/RQ-1808.tvk"));
        expectLineFree();
    }

    // Upload All into the list: the drive's current values land in its file.
    void uploadAllIntoTheList()
    {
        withDrive(1, [](sim::SioDrive& d) { d.setValue(0x0031, 0x0004); });
        world->messages->expect(BulkTransferFlow::confirmationText(BulkTransferFlow::Direction::Upload, "LIST  A",
                                                            "ADDR=01\"Mixer\""),
                         MsgIcon::Question, MsgAnswer::Yes);
        QVERIFY(online->uploadAll(listOf(openedList, "1")));
        QCOMPARE(CWorkFile(openedList).findValue(0x0031), std::optional<uint16_t>(4));
        QVERIFY(!std::filesystem::exists(uploadBackupPath()));
        expectLineFree();
    }

    // Download All of a list without a drive into drive 2: the target is
    // picked in the network dialog, the parameter sets differ.
    void downloadAllToTheSecondDrive()
    {
        CWorkFile(openedList).writeValue(0x00E9, 2);
        CWorkFile(openedList).writeValue(0x00E4, 1808);
        world->modals.expect<CNetworkDlg>([](CNetworkDlg* dlg) {
            QVERIFY(dlg->model().selectionMode());
            dlg->selectRow(1);
            dlg->clickConnect(false);
        });
        bool asked = false;
        world->modals.expect<CParamSetDlg>([&](CParamSetDlg* dlg) {
            fitsScreen(dlg, "parameter-set");
            asked = true;
            QCOMPARE(dlg->chosenSet(), 2);
            dlg->accept();
        });
        world->messages->expect(BulkTransferFlow::confirmationText(BulkTransferFlow::Direction::Download, "LIST  A",
                                                            "ADDR=02\"NEW\""),
                         MsgIcon::Question, MsgAnswer::Yes);
        world->messages->expect(parameterSetChangeNotice(2).text, MsgIcon::Information);
        QVERIFY(!online->downloadAll(listOf(openedList, "")));
        QVERIFY(asked);
        withDrive(2, [](sim::SioDrive& d) { QCOMPARE(d.parameterSet(), 2); });
        QCOMPARE(driveValue(2, 0x0031), uint16_t(4));
        expectLineFree();
    }

    // A value the drive refuses: the transfer dialog asks whether to go on;
    // No ends the download with its message and frees the line.
    void refusedValueAsksWithTheTransferHeld()
    {
        CWorkFile(openedList).writeValue(0x00E9, 1);
        uint16_t refused = 0;
        for (const sim::SioParameter& p : sim::SioCatalogue::forVersion(1808)->records()) {
            const uint16_t beyond = static_cast<uint16_t>(p.maximum + 1);
            if (p.number > 0x20 && p.number % 16 != 0 && (p.attribute & 0x0F00) == 0 && p.maximum < 0x7FFF
                && !p.inRange(beyond)) {
                refused = p.number;
                CWorkFile(openedList).writeValue(p.number, beyond);
                break;
            }
        }
        QVERIFY(refused != 0);
        world->messages->expect(BulkTransferFlow::confirmationText(BulkTransferFlow::Direction::Download, "LIST  A",
                                                                   "ADDR=01\"Mixer\""),
                                MsgIcon::Question, MsgAnswer::Yes);
        world->messages->expect(platform::strFormat("There was error downloading value of parameter %.4X. "
                                                    "Do you want to continue ?", refused),
                                MsgIcon::Question, MsgAnswer::No);
        world->messages->expect("Download was not successful.", MsgIcon::Stop);
        online->downloadAll(listOf(openedList, "1"));
        QVERIFY(world->messages->pending() == 0);
        expectLineFree();
    }

    // The connected drive's list in its window: selecting a row reads the
    // drive's value, Update writes the typed one to the drive.
    void onlineListReadsAndWritesTheDrive()
    {
        // The list window finds its database where the program found its installation.
        kestrel::shell().installDir = world->install;
        CTervikView* view = showOnlineList(openedList);
        QVERIFY(view != nullptr);
        withDrive(1, [](sim::SioDrive& d) { d.setValue(0x0031, 0x0007); });
        shell::CMSHFlexGrid* grid = view->grid();
        // The parameter's group page.
        auto* tabs = view->findChild<QTabBar*>("groupTabs");
        QVERIFY(tabs != nullptr);
        int row = -1;
        for (int t = 0; t < tabs->count() && row < 0; ++t) {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(t).center());
            for (int r = 1; r < grid->rows() && row < 0; ++r)
                if (grid->textMatrix(r, 0).toInt(nullptr, 16) == 0x31) row = r;
        }
        QVERIFY(row > 0);
        const QRect cell = grid->visualRect(grid->model()->index(row, 2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_COMPARE(grid->textMatrix(row, 2).trimmed(), QString("7"));
        QCOMPARE(CWorkFile(openedList).findValue(0x0031), std::optional<uint16_t>(7));
        auto* edit = view->findChild<QLineEdit*>("decimalEdit");
        QTRY_VERIFY(edit->isVisible());
        edit->selectAll();
        QTest::keyClicks(edit, "5");
        auto* update = view->findChild<QPushButton*>("update");
        QVERIFY(update->isEnabled());
        QTest::mouseClick(update, Qt::LeftButton);
        uint16_t atDrive = 0;
        QTRY_VERIFY((withDrive(1, [&](sim::SioDrive& d) { atDrive = d.value(0x0031); }), atDrive == 5));
        QCOMPARE(CWorkFile(openedList).findValue(0x0031), std::optional<uint16_t>(5));
        expectLineFree();
        // Closing asks the drive for keypad changes, then what to keep.
        bool asked = false;
        world->modals.expect<CCloseOptionsDlg>([&](CCloseOptionsDlg* dlg) {
            asked = true;
            fitsScreen(dlg, "close-options");
            for (auto* b : dlg->findChildren<QRadioButton*>())
                if (b->text() == "store nothing") b->setChecked(true);
            dlg->accept();
        });
        frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
        frame->execute(kestrel::cmd::FileClose);
        QTRY_VERIFY(frame->mdiArea()->subWindowList().isEmpty());
        QVERIFY(asked);
        expectLineFree();
    }

    // A device table that went missing after the dialog read it: the list
    // still opens, and the user is told.
    void connectWithoutTheDeviceTableSaysSo()
    {
        const std::string table = CDeviceTable::defaultPath();
        const std::string kept = table + ".kept";
        openedList.clear();
        world->modals.expect<CNetworkDlg>([&](CNetworkDlg* dlg) {
            std::filesystem::rename(table, kept);
            dlg->selectRow(0);
            world->messages->expect("netlist.cfg nof found !", MsgIcon::Exclamation);
            dlg->clickConnect(true);
        });
        online->openDeviceList();
        std::filesystem::rename(kept, table);
        QVERIFY(world->messages->pending() == 0);
        QCOMPARE(openedList, CWorkFile::onlinePath(world->install, "1"));
        expectLineFree();
    }

    // The keypad runs drive 1 forward at a new setpoint and stops it; every
    // command is a click on the window's own buttons.
    void keypadRunsAndStopsTheDrive()
    {
        using Button = CKeypadDlg::Button;
        // A port that leads to another kind of device: nothing is picked.
        state().portTestResult = 1;
        world->messages->expect(kOtherDeviceText, MsgIcon::Exclamation);
        frame->action(kestrel::cmd::Keypad)->trigger();
        QCOMPARE(world->messages->pending(), size_t(0));
        QVERIFY(frame->findChild<CKeypadDlg*>() == nullptr);
        state().portTestResult = 2;

        // Keypad Controls with no list open: the drive is picked in the
        // network dialog.
        state().noDevice = false;
        world->modals.expect<CNetworkDlg>([](CNetworkDlg* dlg) {
            dlg->selectRow(0);
            dlg->clickConnect(false);
        });
        frame->action(kestrel::cmd::Keypad)->trigger();
        auto* keypad = frame->findChild<CKeypadDlg*>();
        QVERIFY(keypad != nullptr);
        keypad->setActiveOverride(true);
        QTRY_COMPARE_WITH_TIMEOUT(keypad->model().view().statusLine, std::string("STOP"), 3000);
        QCOMPARE(state().windowPresence[1], '3');
        world->messages->expect("Control window for this device already exists !", MsgIcon::Exclamation);
        online->keypad("1");

        // The user's click on the button of that label: the window's own
        // wiring from the button to the command is part of what is tested.
        auto click = [keypad](Button which, const QString& label) {
            QAbstractButton* b = shelltest::buttonLabelled(keypad, label);
            QVERIFY(b != nullptr);
            QCOMPARE(b, keypad->button(which));
            QVERIFY(b->isEnabled());
            QTest::mouseClick(b, Qt::LeftButton);
        };
        click(Button::SourceSio, "F-EXT1 (SIO)    [Para 3A]");
        QVERIFY(keypad->button(Button::SourceSio)->isChecked());
        QVERIFY(!keypad->button(Button::SourceInitial)->isChecked());
        QCOMPARE(driveValue(1, 0x0031), uint16_t(0x000B));
        QLineEdit* field = keypad->setpointField();
        QVERIFY(!field->isReadOnly());
        // A typo is refused with a message and never reaches the drive.
        const uint16_t before = driveValue(1, 0x003A);
        field->selectAll();
        QTest::keyClicks(field, "12,5");
        world->messages->expect(CKeypadControl::kValueError, MsgIcon::Exclamation);
        click(Button::Download, "Download");
        QCOMPARE(world->messages->pending(), size_t(0));
        QCOMPARE(driveValue(1, 0x003A), before);
        field->selectAll();
        QTest::keyClicks(field, "11.5");
        click(Button::Inc, "INC");
        QCOMPARE(field->text(), QString("12.50"));
        click(Button::Download, "Download");
        QCOMPARE(driveValue(1, 0x003A), uint16_t(1250));
        click(Button::Fwd, "FWD");
        bool running = false;
        withDrive(1, [&](sim::SioDrive& d) { running = d.running(); });
        QVERIFY(running);
        QTRY_COMPARE_WITH_TIMEOUT(keypad->model().view().statusLine, std::string("Running in FWD"), 3000);

        // The drive runs: closing is refused.
        world->messages->expect("The selected device is not in STOP state! You cannot close this window.", MsgIcon::Stop);
        keypad->close();
        QTRY_VERIFY_WITH_TIMEOUT(world->messages->pending() == 0, 3000);
        click(Button::Stop, "STOP");
        withDrive(1, [&](sim::SioDrive& d) { running = d.running(); });
        QVERIFY(!running);

        bus->trip(1, 3);
        QTRY_COMPARE_WITH_TIMEOUT(keypad->model().view().statusLine, std::string("ERROR"), 3000);
        click(Button::ErrorReset, "Error Reset");
        bool tripped = true;
        withDrive(1, [&](sim::SioDrive& d) { tripped = d.tripped(); });
        QVERIFY(!tripped);

        // Broadcast leaves only the run commands; Standard brings the
        // drive's own setpoint source back.
        click(Button::Broadcast, "Broadcast");
        QVERIFY(keypad->button(Button::Broadcast)->isChecked());
        QVERIFY(!keypad->button(Button::Standard)->isChecked());
        QVERIFY(!keypad->button(Button::SourceSio)->isEnabled());
        QVERIFY(!keypad->button(Button::Inc)->isEnabled());
        click(Button::Standard, "Standard");
        QVERIFY(keypad->button(Button::SourceInitial)->isChecked());
        QVERIFY(keypad->button(Button::SourceSio)->isEnabled());

        // The poll restarts a full period after the previous one ended,
        // however long its exchange took.
        QSignalSpy polled(keypad->pollTimer(), &QTimer::timeout);
        QVERIFY(polled.wait(3000));
        QCOMPARE(keypad->pollTimer()->interval(), CKeypadControl::kPollMs);

        QPointer<CKeypadDlg> guard(keypad);
        QCOMPARE(shelltest::buttonLabelled(keypad, "CLOSE"), keypad->closeButton());
        QVERIFY(shelltest::clickButton(keypad, "CLOSE"));
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 3000);
        QCOMPARE(state().windowPresence[1], '0');
        expectLineFree();
    }

    void faultHistoryShowsTheDrivesFaults()
    {
        bus->trip(1, 16);
        world->messages->expect("This will take a few seconds !", MsgIcon::None);
        bool shown = false;
        world->modals.expect<CFaultDlg>([&](CFaultDlg* dlg) {
            fitsScreen(dlg, "fault-history");
            shown = true;
            QCOMPARE(dlg->windowTitle(), QString("Recent Failures : 1"));
            const shell::CMSHFlexGrid* g = dlg->grid();
            QCOMPARE(g->textMatrix(1, 0), QString("16"));
            QCOMPARE(g->textMatrix(1, 1), QString("Overtemperature"));
            QCOMPARE(g->textMatrix(1, 3), QString("Warning"));
            QCOMPARE(g->textMatrix(2, 0), QString("3"));
            QCOMPARE(g->textMatrix(2, 3), QString("Failure"));
            dlg->accept();
        });
        online->faultHistory("1");
        QVERIFY(shown);
        expectLineFree();
    }

    void converterTestReadsAndStopsOnError()
    {
        using Command = CConverterTestDlg::Command;
        using Field = CConverterTestDlg::Field;
        bool done = false;
        world->modals.expect<CConverterTestDlg>([&](CConverterTestDlg* dlg) {
            fitsScreen(dlg, "converter-test");
            dlg->edit(Field::Device)->setText("1");
            dlg->edit(Field::Parameter)->setText("0006");
            QVERIFY(shelltest::clickButton(dlg, "One Shot"));
            QCOMPARE(dlg->model().lastRequest(), std::string("\x04!U0006\x05"));
            const QString receive = dlg->findChild<QLineEdit*>("receiveEdit")->text();
            QVERIFY2(receive.contains("[STX]U0006") && receive.contains("[ETX]"), qPrintable(receive));
            QVERIFY(shelltest::clickButton(dlg, "Write"));
            QVERIFY(dlg->edit(Field::Value)->isVisibleTo(dlg));
            QVERIFY(shelltest::clickButton(dlg, "Read"));
            QVERIFY(!dlg->edit(Field::Value)->isVisibleTo(dlg));
            QVERIFY(shelltest::clickButton(dlg, "Stop On Error"));
            QVERIFY(dlg->stopOnError()->isChecked());
            dlg->edit(Field::TCycle)->setText("10");
            QVERIFY(shelltest::clickButton(dlg, "Start"));
            QVERIFY(dlg->cycleTimer()->isActive());
            QCOMPARE(dlg->button(Command::StartStop)->text(), QString("Stop"));
            QVERIFY(!dlg->button(Command::OneShot)->isEnabled());
            QVERIFY(dlg->edit(Field::Device)->isReadOnly());
            bus->addFault(*sim::SioFault::parse("silent@1"));
            QTRY_VERIFY_WITH_TIMEOUT(dlg->model().view().stoppedByError, 3000);
            const int sent = bus->telegrams();
            QTest::qWait(60);
            QCOMPARE(bus->telegrams(), sent);
            QCOMPARE(dlg->button(Command::StartStop)->text(), QString("Stop"));
            bus->clearFaults();
            QVERIFY(shelltest::clickButton(dlg, "End"));
            done = true;
        });
        frame->action(kestrel::cmd::ConverterTest)->trigger();
        QVERIFY(done);
        QCOMPARE(state().settings.tCycle, 10);
        expectLineFree();
    }

    // Escape (or the close box) ends the test like End: the port is closed
    // and the line handed back before the window goes.
    void converterTestClosedByEscapeHandsTheLineBack()
    {
        bool done = false;
        world->modals.expect<CConverterTestDlg>([&](CConverterTestDlg* dlg) {
            dlg->edit(CConverterTestDlg::Field::TCycle)->setText("77");
            QTest::keyClick(dlg, Qt::Key_Escape);
            done = true;
        });
        frame->action(kestrel::cmd::ConverterTest)->trigger();
        QVERIFY(done);
        QCOMPARE(state().settings.tCycle, 77);
        expectLineFree();
    }
};

QTEST_MAIN(OnlineWindowsTest)
#include "OnlineWindows_qtest.moc"
