// Telling a COM number where to go: the Ports dialog's model lists the
// adapters found and writes the chosen mapping to ports.ini (keeping the
// entries it does not change), refuses text that is neither a device nor a server
// address, and warns when an environment variable overrides the file; the
// communication dialog shows each COM entry's device and presence, and
// preselects the family's usual rate when none is stored.
#include <shell/CCommDlg.h>
#include <shell/CPortsDlg.h>
#include <shell/CommDialogModel.h>
#include <shell/PortsDialogModel.h>
#include <shell/ShellContext.h>

#include <platform/PortMap.h>
#include <platform/RegistryStore.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <filesystem>

using platform::MsgIcon;
using platform::testing::TempDir;

namespace {

// A /dev of our own with one USB adapter and two on-board ports.
struct FakeMachine {
    TempDir dev, registry;
    platform::testing::RegistryRedirect redirect{registry.path()};
    FakeMachine()
    {
        for (const char* name : {"ttyS0", "ttyS1", "ttyUSB0"}) dev.write(name, "");
        std::filesystem::create_directories(dev.path() + "/serial/by-id");
        std::filesystem::create_symlink("../../ttyUSB0", adapter());
        // The user's own file, with an entry the dialog must keep.
        registry.write("ports.ini", "[Ports]\nCOM2=/dev/ttyS7\n");
        for (int n = 1; n <= platform::kMappedPorts; ++n) ::unsetenv(("AVIARY_COM" + std::to_string(n)).c_str());
    }
    std::string adapter() const { return dev.path() + "/serial/by-id/usb-FTDI_USB-RS485_Cable_FT1234AB-if00-port0"; }
};

}  // namespace

class PortsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void choosingAnAdapterWritesItsStableName()
    {
        FakeMachine m;
        shell::PortsDialogModel model(m.dev.path());
        const auto& v = model.view();
        QCOMPARE(int(v.mappings.size()), 8);
        QCOMPARE(v.mappings[1].device, std::string("/dev/ttyS7"));
        QVERIFY(!v.mappings[1].present);
        QCOMPARE(v.deviceLabels.at(0), "FTDI USB-RS485 Cable, serial FT1234AB (" + m.dev.path() + "/ttyUSB0)");
        model.choose(1, 0);
        QVERIFY(model.view().changed);
        QVERIFY(model.view().mappings[0].present);
        QVERIFY(model.save().empty());
        QCOMPARE(platform::comPortDevice(1), m.adapter());
        QCOMPARE(platform::comPortDevice(2), std::string("/dev/ttyS7"));
    }

    void typedEntriesAreCheckedBeforeAnythingIsWritten()
    {
        FakeMachine m;
        shell::PortsDialogModel model(m.dev.path());
        const auto refused = model.enter(3, "COM9");
        QCOMPARE(int(refused.size()), 1);
        QVERIFY(refused[0].text.find("neither a device path") != std::string::npos);
        QVERIFY(!model.view().changed);
        QVERIFY(model.enter(3, "rfc2217://cabinet-7:4001").empty());
        QVERIFY(model.enter(4, "tcp://10.0.0.9:2001").empty());
        QVERIFY(model.save().empty());
        QCOMPARE(platform::comPortDevice(3), std::string("rfc2217://cabinet-7:4001"));
        QCOMPARE(platform::comPortDevice(4), std::string("tcp://10.0.0.9:2001"));

        // An environment variable decides over the file: saying so.
        platform::testing::ScopedEnv env("AVIARY_COM5", "/dev/ttyS1");
        shell::PortsDialogModel again(m.dev.path());
        QVERIFY(again.view().mappings[4].fixedByEnvironment);
        QVERIFY(again.enter(5, "/dev/ttyS0").empty());
        const auto notices = again.save();
        QCOMPARE(int(notices.size()), 1);
        QVERIFY(notices[0].text.find("AVIARY_COM5 is set") != std::string::npos);
    }

    void windowShowsTheMappingAndSavesTheChoice()
    {
        FakeMachine m;
        shell::PortsDialogModel model(m.dev.path());
        shell::CPortsDlg dialog(model);
        dialog.resize(dialog.sizeHint());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* com1 = dialog.findChild<QComboBox*>("deviceCOM1");
        QVERIFY(com1);
        QCOMPARE(com1->count(), 3);
        com1->setCurrentIndex(0);
        const QString shot = QString::fromStdString(m.registry.file("ports-dialog.png"));
        QVERIFY(dialog.grab().save(shot));
        if (const char* keep = std::getenv("AVIARY_SCREENSHOT_DIR")) dialog.grab().save(QString(keep) + "/ports-dialog.png");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(platform::comPortDevice(1), m.adapter());
    }

    void communicationDialogShowsDevicesAndTheUsualRate()
    {
        FakeMachine m;
        platform::testing::ScriptedResponder messages;
        shell::ShellContext context;
        context.settings.baud.clear();   // first run: nothing stored
        platform::setComPortDevice(1, m.dev.path() + "/ttyS0");
        shell::CommDialogModel model(context, {}, true);
        QCOMPARE(model.initialChoice().baud, std::string("9600"));
        shell::CCommDlg dialog(model);
        QCOMPARE(dialog.findChild<QLabel*>("deviceCOM1")->text().toStdString(), m.dev.path() + "/ttyS0");
        QCOMPARE(dialog.findChild<QLabel*>("deviceCOM2")->text(), QString("/dev/ttyS7  (not present)"));
        QVERIFY(dialog.findChild<QRadioButton*>("baud9600")->isChecked());
        QVERIFY(dialog.currentChoice().baud == "9600");
    }
};

QTEST_MAIN(PortsDialogTest)
#include "PortsDialog_qtest.moc"
