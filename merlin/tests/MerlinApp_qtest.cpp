// Merlin as a whole, started the way the program starts, with its windows
// driven through the menu commands: documents from definition files and
// parameter files, the network and going online, against in-memory drives
// that every window's link reaches.
#include "MerlinWorld.h"
#include "SmallDefinition.h"

#include <merlin/core/MerlinState.h>
#include <merlin/testing/CFakeLink.h>
#include <merlin/ui/CFaultDlg.h>
#include <merlin/ui/CNetworkDlg.h>
#include <merlin/ui/CParameterFrame.h>
#include <merlin/ui/MerlinCommands.h>
#include <merlin/ui/MerlinProgram.h>
#include <platform/FileDialog.h>
#include <platform/RegistryStore.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>
#include <plumage/plumage.h>
#include <shell/CMainFrame.h>
#include <shell/CShellApp.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <shell/CMSHFlexGrid.h>

#include <cstdlib>
#include <deque>

using namespace merlin;
using platform::MsgIcon;

namespace {



struct World : merlin::testing::ProgramWorld {
    World()
    {
        root.write("install/DeviceData/LM3_Normal_V3.dpf", merlin::testing::kSmallDefinition);
        root.write("install/DeviceData/LM3_Normal_V4.dpf", merlin::testing::kShorterDefinition);
    }

    // A drive of the small definition at a station, at its defaults.
    void addDrive(int station, uint16_t version)
    {
        drives.addStation(station);
        CDpfParSet set(install);
        set.SetTrace(nullptr);
        set.LoadDefinition(version == 3 ? "LM3_Normal_V3.dpf" : "LM3_Normal_V4.dpf");
        for (int k = 0; k < set.Count(); ++k)
            drives.setRegister(station, set.RegisterOffsetAt(k), rawToRegister(set.At(k).defaultValue));
        drives.setRegister(station, 998, 8);
        drives.setRegister(station, 997, 1);
        drives.setRegister(station, 996, version);
        drives.setRegister(station, 999, 0);
    }

    MerlinOptions options(bool busReachable = true)
    {
        MerlinOptions o;
        o.linkFactory = [this] { return std::make_unique<merlin::testing::SharedLink>(drives); };
        o.busReachable = [busReachable] { return busReachable; };
        return o;
    }
};

QStringList entriesOf(shell::CMainFrame& frame, const QString& title)
{
    QStringList texts;
    for (QAction* m : frame.menuBar()->actions())
        if (m->text() == title)
            for (QAction* a : m->menu()->actions())
                if (!a->isSeparator())
                    texts << a->text();
    return texts;
}

ui::CParameterFrame* activeDocument(shell::CMainFrame& frame)
{
    QMdiSubWindow* sub = frame.mdiArea()->activeSubWindow();
    return sub ? qobject_cast<ui::CParameterFrame*>(sub->widget()) : nullptr;
}

}  // namespace

class MerlinAppTest : public QObject {
    Q_OBJECT

private slots:
    void withoutTheSessionBusMerlinEndsWithItsMessage()
    {
        World w;
        // The old text stays, with what a Linux user can do about it.
        w.messages.expect(
            "Ole Init failed !\nThe D-Bus session bus is missing: start Merlin from a desktop session or under "
            "dbus-run-session.",
            MsgIcon::Stop);
        shell::CShellApp app(merlin::shell(), merlinProgram(w.options(false)));
        QCOMPARE(app.start("", "/opt/aviary/merlin"), shell::StartupEnd::CheckFailed);
        QVERIFY(app.mainFrame() == nullptr);
        app.exit();
        QVERIFY(w.messages.verify());
    }

    void menusPromptsAndDocumentsFromDefinitionAndParameterFiles()
    {
        World w;
        shell::CShellApp app(merlin::shell(), merlinProgram(w.options()));
        QCOMPARE(app.start("/options", "/opt/aviary/merlin"), shell::StartupEnd::Started);
        shell::CMainFrame& frame = *app.mainFrame();
        QCOMPARE(frame.menuTitles(), (QStringList{"&File", "&Inverter", "&Settings", "&Options", "&Help"}));
        QVERIFY(entriesOf(frame, "&Options").contains("Modbus"));
        QCOMPARE(frame.menuText(cmd::FileNew), QString("&New Parameter List...\tCtrl+N"));
        QCOMPARE(frame.action(cmd::FileNew)->statusTip(),
                 QString("Create a new parameter list based on a selected parameter definition file (DPF)"));

        // New Parameter List: the definition is read from DeviceData
        // whatever folder the user browsed to.
        w.files.answer("/somewhere/LM3_Normal_V3.dpf");
        frame.execute(cmd::FileNew);
        ui::CParameterFrame* doc = activeDocument(frame);
        QVERIFY(doc != nullptr);
        QCOMPARE(w.files.requests.back().filter, std::string("DPF Files(*.dpf) | *.dpf||"));
        QVERIFY(entriesOf(frame, "&File").contains("Convert To..."));
        QVERIFY(entriesOf(frame, "&Customer List").contains("&Activate Filter Settings"));
        QTRY_COMPARE_WITH_TIMEOUT(doc->view().statusText(), QString("Scanning OFF !"), 5000);
        QCOMPARE(doc->view().groupTitle(), QString(" 1:  Motor (3)"));

        doc->view().beginEdit(2);
        doc->view().entry()->setText("45");
        doc->view().confirmEntry();
        QVERIFY(doc->document().modified);

        const std::string path = w.root.file("pump.par");
        w.files.answer(path);
        frame.execute(cmd::FileSave);  // a new document asks for its name
        QCOMPARE(w.files.requests.back().filter, std::string("Parameter File(*.par)|*.par||"));
        QVERIFY(!doc->document().modified);
        QCOMPARE(doc->windowTitle(), QString("pump.par[*]"));

        // Convert To the next version: the value goes by register.
        w.files.answer("LM3_Normal_V4.dpf");
        frame.execute(cmd::ConvertTo);
        QCOMPARE(doc->document().set().Count(), 3);
        QCOMPARE(doc->document().set().Version(), 4);
        QVERIFY(doc->document().modified);

        // Closing a changed document asks; No loses the conversion only.
        w.messages.expect("Save changes to pump.par?", MsgIcon::Exclamation, platform::MsgAnswer::No);
        frame.execute(cmd::FileClose);
        QTRY_VERIFY_WITH_TIMEOUT(frame.mdiArea()->subWindowList().isEmpty(), 5000);

        w.files.answer(path);
        frame.execute(cmd::FileOpen);
        doc = activeDocument(frame);
        QVERIFY(doc != nullptr);
        QCOMPARE(doc->document().set().Value(0, 1), 450);
        QCOMPARE(doc->document().set().Version(), 3);
        QCOMPARE(merlin::shell().recentFiles.front(), path);
        frame.grab().save("/tmp/m/app.png");
        app.exit();
        QVERIFY(w.messages.verify());
    }

    void checkNetworkConnectsScansEditsAndReadsFaults()
    {
        World w;
        w.addDrive(5, 3);
        w.addDrive(9, 4);
        w.drives.setRegister(5, 120, 1);  // active fault: Overcurrent
        shell::CShellApp app(merlin::shell(), merlinProgram(w.options()));
        QCOMPARE(app.start("", "/opt/aviary/merlin"), shell::StartupEnd::Started);
        shell::CMainFrame& frame = *app.mainFrame();

        QStringList listed;
        w.modals.expect<ui::CNetworkDlg>([&listed](ui::CNetworkDlg* dialog) {
            for (int r = 1; r <= 2; ++r)
                listed << dialog->grid()->textMatrix(r, 0) + " " + dialog->grid()->textMatrix(r, 3);
            dialog->selectRow(1);
            dialog->accept();
        });
        // With the Debug option the examination leaves its markers in the log.
        state().debug = true;
        frame.execute(cmd::CheckNetwork);
        state().debug = false;
        QCOMPARE(QString::fromStdString(w.root.read("install/Receive.txt")),
                 QString("EXAM NETWORK - START\r\nEXAM NETWORK - END\r\n"));
        QCOMPARE(listed, (QStringList{"5 Normal V3", "9 Normal V4"}));
        ui::CParameterFrame* doc = activeDocument(frame);
        QVERIFY(doc != nullptr);
        QCOMPARE(doc->document().set().DefinitionName(), std::string("LM3_Normal_V3.dpf"));
        QTRY_COMPARE_WITH_TIMEOUT(doc->view().statusText(), QString("Scanning ON !"), 5000);
        QVERIFY(doc->windowTitle().endsWith("  - ONLINE (5)[*]"));

        // Check Network from the online document knows its drive: the name
        // stays, and choosing that drive again opens no second document.
        w.messages.expect("You cannot change the name of an active device !", MsgIcon::Exclamation);
        w.messages.expect("You are already connected to this device !", MsgIcon::Information);
        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) {
            dialog->rename(1, "Renamed");
            dialog->selectRow(1);
            dialog->accept();
            QVERIFY(dialog->isVisible());
            dialog->reject();
        });
        frame.execute(cmd::CheckNetwork);
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
        QVERIFY(state().devices.name(5) != "Renamed");
        QCOMPARE(activeDocument(frame), doc);

        // The scan follows a change made at the drive.
        w.drives.setRegister(5, 203, 1234);
        QTRY_COMPARE_WITH_TIMEOUT(doc->view().grid()->textMatrix(1, 2), QString("12.34"), 5000);

        // An edit reaches the drive; one beyond the limit is refused and sends nothing.
        doc->view().beginEdit(2);
        doc->view().entry()->setText("12");
        doc->view().confirmEntry();
        QCOMPARE(w.drives.registerValue(5, 104), std::optional<uint16_t>(120));
        w.messages.expect("Value exceeds upper limit", MsgIcon::Exclamation);
        doc->view().beginEdit(2);
        doc->view().entry()->setText("61");
        doc->view().confirmEntry();
        QCOMPARE(w.drives.registerValue(5, 104), std::optional<uint16_t>(120));

        QString faultTitle, faultRow;
        w.modals.expect<ui::CFaultDlg>([&](ui::CFaultDlg* dialog) {
            faultTitle = dialog->windowTitle();
            faultRow = dialog->grid()->textMatrix(1, 1) + " / " + dialog->grid()->textMatrix(1, 3);
            dialog->accept();
        });
        frame.updateCommandStates();
        QVERIFY(frame.action(cmd::FaultHistory)->isEnabled());
        frame.execute(cmd::FaultHistory);
        QCOMPARE(faultTitle, QString("Faults : 5"));
        QCOMPARE(faultRow, QString("Overcurrent / Active Fault 1"));

        // The drive stops answering: the status says so, then recovers.
        w.drives.setReadResult(5, 203, kLinkTimeout);
        w.drives.setReadResult(5, 104, kLinkTimeout);
        w.drives.setReadResult(5, 105, kLinkTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(doc->view().statusText(), QString("Comm Error: 0201 513"), 5000);
        w.drives.setReadResult(5, 203, 0);
        w.drives.setReadResult(5, 104, 0);
        w.drives.setReadResult(5, 105, 0);
        QTRY_COMPARE_WITH_TIMEOUT(doc->view().statusText(), QString("Scanning ON !"), 8000);
        doc->grab().save("/tmp/m/app-online.png");

        // Going online with the other drive: its version differs.
        w.messages.expect("Conflict of type or application !", MsgIcon::Exclamation);
        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) {
            dialog->selectRow(2);
            dialog->accept();
        });
        frame.execute(cmd::GoOnline);
        QCOMPARE(doc->view().model().station(), -1);
        doc->document().modified = false;
        app.exit();
        QVERIFY(w.messages.verify());
    }

    void uploadAndDownloadAllThroughThePasswordRegister()
    {
        World w;
        w.addDrive(5, 3);
        state().devices.setIdentification(5, 8, 1, 3);
        state().devices.setPresent(5, true);
        shell::CShellApp app(merlin::shell(), merlinProgram(w.options()));
        QCOMPARE(app.start("", "/opt/aviary/merlin"), shell::StartupEnd::Started);
        shell::CMainFrame& frame = *app.mainFrame();
        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) {
            dialog->selectRow(1);
            dialog->accept();
        });
        frame.execute(cmd::OpenDeviceList);
        ui::CParameterFrame* doc = activeDocument(frame);
        QVERIFY(doc != nullptr);
        QVERIFY(doc->view().model().online());

        w.drives.setRegister(5, 104, 99);
        frame.execute(cmd::UploadAll);
        QCOMPARE(doc->document().set().Value(0, 1), 99);
        QVERIFY(!state().transferBusy);

        // The drive refuses writes until its password register (298) holds
        // 4711: every refused parameter is listed, nothing is written.
        doc->document().set().SetValue(0, 1, 77);
        bool unlocked = false;
        w.drives.setWriteHook([&unlocked](int, int offset, uint16_t value) {
            if (offset == 298)
                unlocked = value == 4711;
            return offset == 298 || unlocked ? 0 : kLinkWriteRefused;
        });
        QStringList failures;
        w.modals.expectNamed("transferFailures", [&failures](QWidget* dialog) {
            if (auto* grid = dialog->findChild<shell::CMSHFlexGrid*>())
                for (int r = 1; r < grid->rows(); ++r)
                    failures << grid->textMatrix(r, 1);
            qobject_cast<QDialog*>(dialog)->accept();
        });
        frame.execute(cmd::DownloadAll);
        QVERIFY(!failures.isEmpty());
        QCOMPARE(failures.front(), QString("8201  refused (exception 1)"));
        QVERIFY(w.drives.registerValue(5, 104) != std::optional<uint16_t>(77));

        // With the password in the document the download unlocks the drive first.
        QCOMPARE(doc->document().set().SetValue(1, 0, 4711), kValueOk);
        frame.execute(cmd::DownloadAll);
        QVERIFY(unlocked);
        QCOMPARE(w.drives.registerValue(5, 104), std::optional<uint16_t>(77));
        doc->document().modified = false;
        app.exit();
        QVERIFY(w.messages.verify());
    }
};

QTEST_MAIN(MerlinAppTest)
#include "MerlinApp_qtest.moc"
