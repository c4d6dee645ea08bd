// Merlin's dialogs as a user sees them: the network list with its rename
// and choice, the fault window, the Modbus test tool, the program parameters.
#include "SmallDefinition.h"

#include <merlin/core/MerlinState.h>
#include <merlin/testing/CFakeLink.h>
#include <merlin/ui/CFaultDlg.h>
#include <merlin/ui/CMerlinParamsDlg.h>
#include <merlin/ui/CModbusTestDlg.h>
#include <merlin/ui/CNetworkDlg.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>
#include <platform/testing/qt/QtFailure.h>

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace merlin;
using platform::MsgIcon;
using platform::testing::qtFailure;

class MerlinDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { state().reset(); }
    void cleanup() { state().reset(); }

    void networkDialogListsRenamesAndChooses()
    {
        platform::testing::TempDir dir;
        CDeviceTable table;
        table.setIdentification(5, 8, 1, 3);
        table.setPresent(5, true);
        table.setName(5, "NEW");
        table.setIdentification(7, 7, 2, 12);
        table.setPresent(7, true);
        NetworkDialog model(table, dir.path(), 0, false);
        ui::CNetworkDlg dialog(model);
        QVERIFY(dialog.prepare());
        QCOMPARE(dialog.grid()->rows(), 9);
        QCOMPARE(dialog.grid()->textMatrix(0, 1), QString("DEVICE TYPE"));
        QCOMPARE(dialog.grid()->textMatrix(2, 1), QString("LM3 Dorrin"));
        QCOMPARE(dialog.grid()->textMatrix(2, 3), QString("Sequencer V12"));

        platform::testing::ScriptedResponder messages(qtFailure());
        messages.expect("No inverter selected.", MsgIcon::Exclamation);
        dialog.accept();
        QVERIFY(messages.verify());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        dialog.rename(1, "Conveyor");
        QCOMPARE(dialog.grid()->textMatrix(1, 2), QString("Conveyor"));
        dialog.selectRow(2);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(state().chosenDefinition, std::string("LM3 Dorrin_Sequencer_V12.dpf"));
        QCOMPARE(state().selectedStation, 7);
        dialog.grab().save("/tmp/m/network.png");

        CDeviceTable stored;
        QVERIFY(stored.load(dir.path()));
        QCOMPARE(stored.name(5), std::string("Conveyor"));
    }

    void faultWindowShowsActiveFaultsAndHistory()
    {
        merlin::testing::DefinitionDir definitions;
        CDpfParSet set;
        definitions.load(set);
        // Records whether the views' scans were held off during each read.
        struct BusyWatch : CFakeLink {
            std::vector<bool> busy;
            int ReadRegister(int station, int offset, uint16_t& value) override
            {
                busy.push_back(state().transferBusy);
                return CFakeLink::ReadRegister(station, offset, value);
            }
        } link;
        link.addStation(3);
        link.OpenLink();
        link.setRegister(3, 120, 2);
        link.setRegister(3, 121, 1);
        link.setRegister(3, 122, 0);
        ui::CFaultDlg dialog(set, link, 3);
        QCOMPARE(link.busy, (std::vector<bool>{true, true, true}));
        QVERIFY(!state().transferBusy);
        QCOMPARE(dialog.windowTitle(), QString("Faults : 3"));
        QCOMPARE(dialog.grid()->rows(), 17);
        QCOMPARE(dialog.grid()->textMatrix(0, 2), QString("CAUSE"));
        QCOMPARE(dialog.grid()->textMatrix(1, 1), QString("Overvoltage"));
        QCOMPARE(dialog.grid()->textMatrix(1, 3), QString("Active Fault 1"));
        QCOMPARE(dialog.grid()->textMatrix(2, 0), QString("12"));
        QCOMPARE(dialog.grid()->textMatrix(3, 3), QString("Fault History 2"));
        dialog.grab().save("/tmp/m/faults.png");
    }

    void modbusTestReadsAndWrites()
    {
        auto fake = std::make_unique<CFakeLink>();
        CFakeLink* link = fake.get();
        link->addStation(1);
        link->setRegister(1, 25, 42);
        ui::CModbusTestDlg dialog(std::move(fake));
        QVERIFY(link->isOpen());
        dialog.read();
        QCOMPARE(dialog.values(), QStringList{"42"});
        QCOMPARE(dialog.resultText(), QString("     0 / 0000 (HEX)"));
        QVERIFY(!dialog.findChild<QLabel*>("lineDevice"));   // no line named: no line shown
    }

    void modbusTestShowsWhereTheLineLeads()
    {
        platform::testing::TempDir dir;
        const std::string present = dir.write("adapter", "");
        for (const auto& [device, shown] : {std::pair{present, present},
                                            {dir.path() + "/unplugged", dir.path() + "/unplugged  (not present)"},
                                            {std::string("rfc2217://cabinet-7:4001"), std::string("rfc2217://cabinet-7:4001")}}) {
            platform::testing::ScopedEnv com6("AVIARY_COM6", device.c_str());
            ui::CModbusTestDlg dialog(std::make_unique<CFakeLink>(), 6);
            auto* line = dialog.findChild<QLabel*>("lineDevice");
            QVERIFY(line);
            QCOMPARE(line->text().toStdString(), shown);
        }
    }

    void programParametersDefaultButton()
    {
        LinkSettings live;
        live.retries = 9;
        ui::CMerlinParamsDlg dialog(LinkParameters::from(live));
        QCOMPARE(dialog.findChild<QSpinBox*>("repeats")->value(), 9);
        QTest::mouseClick(dialog.findChild<QPushButton*>("defaultButton"), Qt::LeftButton);
        QCOMPARE(dialog.values(), (LinkParameters{3, 1000, 70, 0}));
        dialog.grab().save("/tmp/m/params.png");
    }
};

QTEST_MAIN(MerlinDialogsTest)
#include "MerlinDialogs_qtest.moc"
