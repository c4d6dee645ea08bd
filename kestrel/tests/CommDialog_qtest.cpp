// The "Communication Settings" dialog, ApplySettings and the port test, and
// the "Program Parameters" dialog.
#include "ShellQtTest.h"

#include <shell/CCommDlg.h>
#include <kestrel/ui/CProgramParamsDlg.h>
#include <shell/CommDialogModel.h>
#include <shell/ShellTexts.h>
#include <platform/MemoryLine.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

using namespace shelltest;
using shell::CommDialogModel;

namespace {

constexpr shell::PortTestTiming kFast{1, 1};

}  // namespace

class CommDialogTest : public QObject {
    Q_OBJECT
private slots:
    void applySettingsBuildsTheSettingsString_data()
    {
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1200") << "1200" << "8N1" << "1200,N,8,1";
        QTest::newRow("14400") << "14400" << "8N1" << "14400,N,8,1";
        QTest::newRow("19200 7E1") << "19200" << "7E1" << "19200,E,7,1";
        QTest::newRow("38400 runs at 57600") << "38400" << "8N1" << "57600,N,8,1";
        QTest::newRow("unknown baud") << "115200" << "8N1" << "N,8,1";
        QTest::newRow("empty") << "" << "" << "N,8,1";
    }
    void applySettingsBuildsTheSettingsString()
    {
        QFETCH(QString, baud);
        QFETCH(QString, protocol);
        QFETCH(QString, expected);
        World w;
        auto& shell = kestrel::shell();
        shell.settings.baud = baud.toStdString();
        shell.settings.protocol = protocol.toStdString();
        shell.settings.port = 3;
        shell::AppliedComm panes;
        shell.setPaneListener([&](const shell::AppliedComm& a) { panes = a; });
        shell.applySettings();
        QCOMPARE(QString::fromStdString(kestrel::state().settings.commSettings), expected);
        QCOMPARE(kestrel::state().settings.port, 3);
        QCOMPARE(panes.paneBaud, baud.toStdString());
        QCOMPARE(panes.panePort, std::string("COM3"));
        QCOMPARE(panes.paneProtocol, protocol.toStdString());
    }

    void portPreselection_data()
    {
        QTest::addColumn<int>("saved");
        QTest::addColumn<QString>("available");
        QTest::addColumn<int>("preselected");
        QTest::newRow("saved COM4 available") << 4 << "1111" << 4;
        QTest::newRow("saved COM3 missing") << 3 << "0101" << 2;
        QTest::newRow("saved COM1 only one") << 1 << "0001" << 4;
    }
    void portPreselection()
    {
        QFETCH(int, saved);
        QFETCH(QString, available);
        QFETCH(int, preselected);
        World w;
        std::array<bool, 4> open{};
        for (int i = 0; i < 4; ++i) open[size_t(i)] = available[i] == '1';
        PortMap ports(open, w.root.path());
        kestrel::shell().settings.port = saved;
        CommDialogModel model(kestrel::shell(), {}, false);
        QVERIFY(model.probe());
        shell::CCommDlg dialog(model);
        for (int n = 1; n <= 4; ++n) {
            auto* b = child<QRadioButton>(&dialog, qPrintable(QString("portCOM%1").arg(n)));
            QCOMPARE(b->isEnabled(), open[size_t(n - 1)]);
            QCOMPARE(b->isChecked(), n == preselected);
        }
    }

    void noPortAtAllQuits()
    {
        World w;
        PortMap ports({false, false, false, false}, w.root.path());
        w.expect(shell::text::kNoComPort, MsgIcon::Stop);
        QCOMPARE(shell::CCommDlg::run(kestrel::shell(), {}, false, nullptr), shell::CCommDlg::Outcome::NoPort);
    }

    void fixedChoicesAndStoredValues()
    {
        World w;
        PortMap ports({true, false, false, false}, w.root.path());
        kestrel::shell().settings.baud = "38400";
        kestrel::shell().settings.protocol = "7E1";
        CommDialogModel model(kestrel::shell(), {}, false);
        QVERIFY(model.probe());
        shell::CCommDlg dialog(model);
        auto* b38400 = child<QRadioButton>(&dialog, "baud38400");
        auto* p7E1 = child<QRadioButton>(&dialog, "protocol7E1");
        QVERIFY(!b38400->isEnabled());
        QVERIFY(b38400->isChecked());
        QVERIFY(!p7E1->isEnabled());
        QVERIFY(p7E1->isChecked());
        QVERIFY(child<QRadioButton>(&dialog, "baud19200")->isEnabled());
        QVERIFY(child<QRadioButton>(&dialog, "protocol8N1")->isEnabled());
        // Opened from the menu: the "do not show again" box is hidden and has no effect.
        dialog.show();
        QVERIFY(!child<QCheckBox>(&dialog, "dontShowAgain")->isVisible());
        w.expect(shell::text::kPortHelp, MsgIcon::Information);
        child<QPushButton>(&dialog, "helpButton")->click();
    }

    void okStoresAppliesAndTests()
    {
        World w;
        PortMap ports({true, true, false, false}, w.root.path());
        auto& shell = kestrel::shell();
        shell.settings.com = true;
        CommDialogModel model(shell, {}, true);
        model.setTestTiming(kFast);
        QVERIFY(model.probe());
        shell::CCommDlg dialog(model);
        dialog.show();
        child<QRadioButton>(&dialog, "baud2400")->setChecked(true);
        child<QRadioButton>(&dialog, "portCOM2")->setChecked(true);
        auto* box = child<QCheckBox>(&dialog, "dontShowAgain");
        QVERIFY(box->isVisible());
        QVERIFY(!box->isChecked());
        box->setChecked(true);
        child<QPushButton>(&dialog, "okButton")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(shell.settings.baud, std::string("2400"));
        QCOMPARE(shell.settings.port, 2);
        QCOMPARE(shell.settings.protocol, std::string("8N1"));
        QVERIFY(!shell.settings.com);
        QCOMPARE(kestrel::state().settings.commSettings, std::string("2400,N,8,1"));
        // Without RTS mode the direction line is a shadow: the test passes.
        QCOMPARE(kestrel::state().portTestResult, int(shell::PortGood));
    }

    void portTestOutcomes_data()
    {
        QTest::addColumn<bool>("rtsMode");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<bool>("peerRts");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        QTest::newRow("no RTS mode") << false << false << false << 2 << "";
        QTest::newRow("adapter reports RTS back") << true << true << false << 2 << "";
        QTest::newRow("nobody raises CTS") << true << false << false << 0 << shell::text::kNetworkNotResponding;
        QTest::newRow("CTS stuck on") << true << false << true << 1 << shell::text::kOtherDevice;
    }
    void portTestOutcomes()
    {
        QFETCH(bool, rtsMode);
        QFETCH(bool, loop);
        QFETCH(bool, peerRts);
        QFETCH(int, result);
        QFETCH(QString, message);
        World w;
        platform::MemoryLine line({.rtsCtsLoop = loop});
        QCOMPARE(line.b().open(""), platform::SerialResult::Ok);
        QCOMPARE(line.b().setRts(peerRts), platform::SerialResult::Ok);
        kestrel::state().settings.rtsMode = rtsMode;
        kestrel::state().settings.port = 1;
        if (!message.isEmpty()) w.expect(message.toStdString(), MsgIcon::None);
        const auto source = [&line](int) -> platform::SerialPort* { return &line.a(); };
        QCOMPARE(kestrel::runPortTest(source, 1, "9600,N,8,1", rtsMode, kFast), result);
        kestrel::shell().setPortTestResult(result);
        QCOMPARE(kestrel::state().portTestResult, result);
        // Another device on the port takes the port number away and stops device commands.
        QCOMPARE(kestrel::state().settings.port, result == 1 ? 0 : 1);
        if (result == 1) w.expect(shell::text::kOtherDevice, MsgIcon::None);
        QCOMPARE(kestrel::shell().portUsable(), result != 1);
    }

    void programParametersDefaultOkCancel()
    {
        World w;
        kestrel::TelegramSettings live;
        live.repeat = 3;
        live.delayNak = 100;
        live.tRts = 5;
        live.tWait = 9;
        live.rtsMode = true;
        const kestrel::ProgramParameters before = kestrel::ProgramParameters::from(live);
        {
            kestrel::CProgramParamsDlg dialog(before);
            QCOMPARE(dialog.values(), before);
            child<QPushButton>(&dialog, "defaultButton")->click();
            QCOMPARE(dialog.values(), kestrel::ProgramParameters::defaults());
            QCOMPARE(dialog.values(), (kestrel::ProgramParameters{8, 1200, 30, 50, false}));
        }
        w.modals.expectNamed("programParametersDialog", [](QWidget* d) {
            child<QPushButton>(d, "defaultButton")->click();
            child<QPushButton>(d, "cancelButton")->click();
        });
        QVERIFY(!kestrel::CProgramParamsDlg::run(live));
        QCOMPARE(kestrel::ProgramParameters::from(live), before);
        w.modals.expectNamed("programParametersDialog", [](QWidget* d) {
            child<QSpinBox>(d, "tWait")->setValue(77);
            child<QPushButton>(d, "okButton")->click();
        });
        QVERIFY(kestrel::CProgramParamsDlg::run(live));
        QCOMPARE(live.tWait, 77);
        QCOMPARE(live.repeat, 3);
        QVERIFY(live.rtsMode);
    }

    void programParametersRefuseValuesOutOfRange_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::newRow("repeats") << "repeat" << 1 << 100;
        QTest::newRow("delay") << "delayNak" << 1 << 10000;
        QTest::newRow("t-RTS") << "tRts" << 1 << 10000;
        QTest::newRow("t-Wait") << "tWait" << 1 << 10000;
    }
    void programParametersRefuseValuesOutOfRange()
    {
        QFETCH(QString, field);
        QFETCH(int, min);
        QFETCH(int, max);
        kestrel::CProgramParamsDlg dialog(kestrel::ProgramParameters::defaults());
        auto* spin = child<QSpinBox>(&dialog, qPrintable(field));
        QCOMPARE(spin->minimum(), min);
        QCOMPARE(spin->maximum(), max);
        auto* edit = spin->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, QString::number(max + 1));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(spin->value() <= max);
        edit->selectAll();
        QTest::keyClicks(edit, "0");
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(spin->value() >= min);
    }
};

QTEST_MAIN(CommDialogTest)
#include "CommDialog_qtest.moc"
