// Merlin's tools driven through the menu commands as a user drives them:
// Upload All and Download All (with a password lock, refusals, a drive that
// falls silent, STOP), compare with a file and with factory defaults,
// print to PDF and preview, export, and the keypad window, against
// in-memory drives of the 171-parameter definition.
#include "LaunchRecorder.h"
#include "MerlinWorld.h"

#include <merlin/core/CListExport.h>
#include <merlin/core/MerlinDocument.h>
#include <merlin/core/MerlinState.h>
#include <merlin/ui/CCompareDlg.h>
#include <merlin/ui/CFailureListDlg.h>
#include <merlin/ui/CKeypadDlg.h>
#include <merlin/ui/CNetworkDlg.h>
#include <merlin/ui/CParameterFrame.h>
#include <merlin/ui/CPasswordDlg.h>
#include <merlin/ui/ListPrinter.h>
#include <merlin/ui/MerlinCommands.h>
#include <merlin/ui/MerlinProgram.h>
#include <merlin/ui/MerlinTools.h>
#include <shell/CMainFrame.h>
#include <shell/CProgressDlg.h>
#include <shell/CShellApp.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace merlin;
using platform::MsgIcon;

namespace {

constexpr const char* kDefinition = "LM3_Normal_V3.dpf";
constexpr uint16_t kPassword = 4711;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct World : merlin::testing::ProgramWorld {
    std::unique_ptr<shell::CShellApp> app;

    World()
    {
        const char* bin = std::getenv("AVIARY_BIN_DIR");
        root.write(std::string("install/DeviceData/") + kDefinition,
                   readFile(std::string(bin ? bin : ".") + "/DeviceData/" + kDefinition));
    }
    ~World()
    {
        for (auto* sub : frame().mdiArea()->subWindowList())
            if (auto* doc = qobject_cast<ui::CParameterFrame*>(sub->widget()))
                doc->document().modified = false;
        app->exit();
    }

    shell::CMainFrame& start()
    {
        MerlinOptions o;
        o.linkFactory = [this] { return std::make_unique<merlin::testing::SharedLink>(drives); };
        o.busReachable = [] { return true; };
        app = std::make_unique<shell::CShellApp>(merlin::shell(), merlinProgram(o));
        if (app->start("", "/opt/aviary/merlin") != shell::StartupEnd::Started)
            QTest::qFail("Merlin did not start", __FILE__, __LINE__);
        return frame();
    }
    shell::CMainFrame& frame() { return *app->mainFrame(); }

    // "&New Parameter List..." of the definition: an offline document.
    ui::CParameterFrame* newDocument()
    {
        files.answer(kDefinition);
        frame().execute(cmd::FileNew);
        return ui::activeParameterFrame(frame());
    }

    // A drive of the definition at a station, at its defaults, with its
    // control interface.
    void addDrive(int station)
    {
        drives.addStation(station);
        CDpfParSet set(install);
        set.SetTrace(nullptr);
        set.LoadDefinition(kDefinition);
        for (int k = 0; k < set.Count(); ++k)
            drives.setRegister(station, set.RegisterOffsetAt(k), rawToRegister(set.At(k).defaultValue));
        for (int offset : {201, 202, 203, 205, 50, 52})
            drives.setRegister(station, offset, 0);
    }

    // Check Network, then the drive in row `row` of the list: an online document.
    ui::CParameterFrame* openOnline(int row)
    {
        modals.expect<ui::CNetworkDlg>([row](ui::CNetworkDlg* dialog) {
            dialog->selectRow(row);
            dialog->accept();
        });
        frame().execute(cmd::CheckNetwork);
        return ui::activeParameterFrame(frame());
    }

    // A drive that refuses every write with exception 1 until its password
    // register holds kPassword.
    void lock(int station)
    {
        drives.setWriteHook([this, station](int s, int offset, uint16_t value) {
            if (s != station)
                return kLinkOk;
            if (offset == 298) {
                unlocked = value == kPassword;
                return kLinkOk;
            }
            return unlocked ? kLinkOk : kLinkWriteRefused;
        });
    }
    bool unlocked = false;
};

// Writable parameters: those a download writes.
bool writable(const CPar& par)
{
    const int offset = par.RegisterOffset();
    return par.access != 1 && par.access != 2 && par.access != 4 && offset != 298 && offset != 299;
}

// Changes every writable value of a set within its limits.
void changeValues(CParSet& set)
{
    for (int k = 0; k < set.Count(); ++k)
        if (writable(set.At(k)))
            set.SetValueAt(k, set.At(k).value < set.At(k).max ? set.At(k).value + 1 : set.At(k).min);
}

int pdfPages(const std::string& path)
{
    const QString pdf = QString::fromLatin1(QByteArray::fromStdString(readFile(path)));
    return static_cast<int>(pdf.count(QRegularExpression("/Type\\s*/Page[^s]")));
}

}  // namespace

class MerlinToolsTest : public QObject {
    Q_OBJECT

private slots:
    void uploadAllFillsTheDocumentAndTheFileKeepsIt()
    {
        World w;
        w.addDrive(5);
        CParSet atDrive;
        {
            CDpfParSet set(w.install);
            set.SetTrace(nullptr);
            set.LoadDefinition(kDefinition);
            changeValues(set);
            for (int k = 0; k < set.Count(); ++k)
                if (writable(set.At(k)))
                    w.drives.setRegister(5, set.RegisterOffsetAt(k), rawToRegister(set.ValueAt(k)));
            atDrive = set;
        }
        shell::CMainFrame& frame = w.start();
        // The drives are known, no document yet.
        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) { dialog->reject(); });
        frame.execute(cmd::CheckNetwork);
        // Offline, Upload All offers going online first.
        ui::CParameterFrame* doc = w.newDocument();
        QVERIFY(doc != nullptr && !doc->view().model().online());
        QString title;
        w.modals.expect<ui::CNetworkDlg>([&](ui::CNetworkDlg* dialog) {
            dialog->selectRow(1);
            w.modals.expect<shell::CProgressDlg>([&title](shell::CProgressDlg* progress) {
                title = progress->windowTitle();
                progress->grab().save("/tmp/m/transfer.png");
            });
            dialog->accept();
        });
        frame.execute(cmd::UploadAll);
        QCOMPARE(title, QString("Uploading from device 5 ..."));
        QCOMPARE(frame.paneText(shell::CMainFrame::PaneMessage), QString("Ready"));
        QVERIFY(doc->document().modified);
        for (int k = 0; k < atDrive.Count(); ++k)
            QCOMPARE(doc->document().set().ValueAt(k), atDrive.ValueAt(k));

        const std::string path = w.root.file("uploaded.par");
        w.files.answer(path);
        frame.execute(cmd::FileSave);
        CDpfParSet stored(w.install);
        stored.SetTrace(nullptr);
        QCOMPARE(stored.LoadParameterFile(std::filesystem::path(path)), 0);
        for (int k = 0; k < atDrive.Count(); ++k)
            QCOMPARE(stored.ValueAt(k), atDrive.ValueAt(k));
        QVERIFY(w.messages.verify());
    }

    void aCutFileOpensMarkedAndGoesToNoDriveUntilAnUploadCompletesIt()
    {
        World w;
        w.addDrive(5);
        shell::CMainFrame& frame = w.start();
        CDpfParSet set(w.install);
        set.SetTrace(nullptr);
        set.LoadDefinition(kDefinition);
        std::ostringstream bytes;
        QCOMPARE(set.WriteFile(bytes), 0);
        const int held = set.Count() / 2;
        const std::string path = w.root.write("cut.par", bytes.str().substr(0, 1000 + 64 * held));
        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) { dialog->reject(); });
        frame.execute(cmd::CheckNetwork);

        w.messages.expect(platform::strFormat(kMsgIncompleteFile, path.c_str(), held, set.Count()), MsgIcon::Question,
                          platform::MsgAnswer::Yes);
        w.files.answer(path);
        frame.execute(cmd::FileOpen);
        ui::CParameterFrame* doc = ui::activeParameterFrame(frame);
        QVERIFY(doc != nullptr);
        const QString mark = QString::asprintf(" [incomplete: %d of %d]", held, set.Count());
        QVERIFY2(doc->windowTitle().contains(mark), qPrintable(doc->windowTitle()));

        // Download All refuses before it even offers going online.
        w.drives.clearCalls();
        w.messages.expect(platform::strFormat(kMsgIncompleteDownload, held, set.Count()), MsgIcon::Exclamation);
        frame.execute(cmd::DownloadAll);
        QVERIFY(w.messages.verify());
        QVERIFY(w.drives.writes().empty());

        // An upload gives every parameter the drive's value: the list is whole.
        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) {
            dialog->selectRow(1);
            dialog->accept();
        });
        frame.execute(cmd::UploadAll);
        QVERIFY(doc->document().modified);
        QVERIFY2(!doc->windowTitle().contains("incomplete"), qPrintable(doc->windowTitle()));
        QVERIFY(!doc->document().RefuseDownload());
        QVERIFY(w.messages.verify());
    }

    void downloadAllAsksForThePasswordAndListsWhatTheDriveRefused()
    {
        World w;
        w.addDrive(5);
        w.addDrive(6);
        w.lock(6);
        w.drives.setWriteResult(6, 203, linkException(3));
        shell::CMainFrame& frame = w.start();
        ui::CParameterFrame* doc = w.openOnline(2);
        QVERIFY(doc != nullptr);
        QCOMPARE(doc->view().model().station(), 6);
        changeValues(doc->document().set());

        QString prompt;
        QStringList failures;
        w.modals.expect<ui::CPasswordDlg>([&](ui::CPasswordDlg* dialog) {
            prompt = dialog->windowTitle();
            dialog->grab().save("/tmp/m/password.png");
            dialog->entry()->setText(QString::number(kPassword));
            w.modals.expect<ui::CFailureListDlg>([&failures](ui::CFailureListDlg* list) {
                for (int r = 0; r < list->grid()->rows(); ++r)
                    failures << list->grid()->textMatrix(r, 0) + " | " + list->grid()->textMatrix(r, 1);
                list->grab().save("/tmp/m/failures.png");
                list->accept();
            });
            dialog->accept();
        });
        frame.execute(cmd::DownloadAll);
        QCOMPARE(prompt, QString("Enter Password"));
        QCOMPARE(failures, (QStringList{"PARAMETER | ERROR", "203  Speed reference 1 | 8203  refused (exception 3)"}));
        const CParSet& set = doc->document().set();
        for (int k = 0; k < set.Count(); ++k)
            if (writable(set.At(k)) && set.RegisterOffsetAt(k) != 203)
                QCOMPARE(w.drives.registerValue(6, set.RegisterOffsetAt(k)), rawToRegister(set.ValueAt(k)));
        QCOMPARE(w.drives.registerValue(6, 298), std::optional<uint16_t>(kPassword));

        // Cancel at the password ends as aborted.
        w.unlocked = false;
        w.drives.setWriteResult(6, 203, 0);
        w.modals.expect<ui::CPasswordDlg>([](ui::CPasswordDlg* dialog) { dialog->reject(); });
        w.messages.expect("Progress was aborted by the user !", MsgIcon::Information);
        w.modals.expect<ui::CFailureListDlg>([](ui::CFailureListDlg* list) { list->accept(); });
        frame.execute(cmd::DownloadAll);
        QVERIFY(w.messages.verify());
    }

    void silentDriveAndStopEndTheTransferAndTheLinkGoesOn()
    {
        World w;
        w.addDrive(5);
        shell::CMainFrame& frame = w.start();
        ui::CParameterFrame* doc = w.openOnline(1);
        QVERIFY(doc != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(doc->view().statusText(), QString("Scanning ON !"), 5000);

        // The drive stops answering after twenty writes.
        int writes = 0;
        bool silent = true;
        w.drives.setWriteHook([&](int, int, uint16_t) { return ++writes > 20 && silent ? kLinkTimeout : kLinkOk; });
        w.messages.expect("Possible loss of power or no connection to the converter !", MsgIcon::Information);
        QStringList failed;
        w.modals.expect<ui::CFailureListDlg>([&failed](ui::CFailureListDlg* list) {
            for (int r = 1; r < list->grid()->rows(); ++r)
                failed << list->grid()->textMatrix(r, 1);
            list->accept();
        });
        frame.execute(cmd::DownloadAll);
        QCOMPARE(failed, (QStringList{"0201  no answer", "0201  no answer", "0201  no answer"}));
        QVERIFY(writes < 30);

        // It answers again: the view's link carries on.
        silent = false;
        QTRY_COMPARE_WITH_TIMEOUT(doc->view().statusText(), QString("Scanning ON !"), 8000);

        // STOP in the middle of an upload.
        int stoppedAt = 0;
        w.modals.expect<shell::CProgressDlg>([&stoppedAt](shell::CProgressDlg* progress) {
            auto* poll = new QTimer(progress);
            QObject::connect(poll, &QTimer::timeout, [progress, poll, &stoppedAt] {
                if (progress->value() < 20)
                    return;
                poll->stop();
                stoppedAt = progress->value();
                progress->findChild<QPushButton*>("stopButton")->click();
            });
            poll->start(1);
        });
        w.messages.expect("Progress was aborted by the user !", MsgIcon::Information);
        frame.execute(cmd::UploadAll);
        QVERIFY(stoppedAt >= 20 && stoppedAt < doc->document().set().Count());
        QVERIFY(!state().transferBusy);
        QTRY_COMPARE_WITH_TIMEOUT(doc->view().statusText(), QString("Scanning ON !"), 8000);
        QVERIFY(w.messages.verify());
    }

    void compareWithFileAndWithFactoryDefaults()
    {
        World w;
        shell::CMainFrame& frame = w.start();
        ui::CParameterFrame* doc = w.newDocument();
        QVERIFY(doc != nullptr);

        QString heading;
        w.modals.expect<ui::CCompareDlg>([&heading](ui::CCompareDlg* dialog) {
            heading = dialog->heading()->text();
            dialog->accept();
        });
        frame.execute(cmd::CompareDefaults);
        QCOMPARE(heading, QString("0 differences detected !"));

        // Stored with one change, then changed once more: one difference.
        CParSet& set = doc->document().set();
        set.SetValueAt(10, set.At(10).max);
        const std::string stored = w.root.file("stored.par");
        w.files.answer(stored);
        frame.execute(cmd::FileSaveAs);
        const int k = set.FlatIndex(3, 2);
        set.SetValueAt(k, set.At(k).value == set.At(k).min ? set.At(k).max : set.At(k).min);

        w.messages.expect("Invalid file !", MsgIcon::Exclamation);
        w.files.answer(w.root.file("notes.txt"));
        frame.execute(cmd::CompareFile);
        w.messages.expect("You selected the same file !", MsgIcon::Exclamation);
        w.files.answer(w.root.file("stored.par"));
        frame.execute(cmd::CompareFile);

        // Compare with the earlier file: write it first under another name.
        const std::string earlier = w.root.file("earlier.par");
        QVERIFY(std::filesystem::copy_file(stored, earlier));
        merlin::testing::LaunchRecorder viewer;
        QStringList rows;
        w.modals.expect<ui::CCompareDlg>([&](ui::CCompareDlg* dialog) {
            heading = dialog->heading()->text();
            for (int c = 0; c < 9; ++c)
                rows << dialog->grid()->textMatrix(0, c);
            rows << dialog->grid()->textMatrix(1, 1);
            dialog->grab().save("/tmp/m/compare.png");
            dialog->textButton()->click();
            dialog->accept();
        });
        w.files.answer(earlier);
        frame.execute(cmd::CompareFile);
        QCOMPARE(heading, QString("1 differences detected !"));
        QCOMPARE(rows.mid(0, 9), (QStringList{"Adr", "Parameter", "Group", "Value 1", "Value 2", "Unit", "Min", "Max", "Type"}));
        QCOMPARE(rows[9], QString::fromStdString(set.At(k).name));
        QCOMPARE(viewer.launched.size(), size_t(1));
        // The program works in its installation directory.
        const std::string text = readFile(QDir::currentPath().toStdString() + "/compare.txt");
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 2);

        // Factory defaults now: the two changed values.
        w.modals.expect<ui::CCompareDlg>([&heading](ui::CCompareDlg* dialog) {
            heading = dialog->heading()->text();
            dialog->accept();
        });
        frame.execute(cmd::CompareDefaults);
        QCOMPARE(heading, QString("2 differences detected !"));
        QVERIFY(w.messages.verify());
    }

    void printToPdfPreviewAndExport()
    {
        World w;
        shell::CMainFrame& frame = w.start();
        ui::CParameterFrame* doc = w.newDocument();
        QVERIFY(doc != nullptr);
        const int pages = ListPrintJob(doc->document().set(), "x").pageCount();
        QVERIFY(pages > 2);

        const std::string pdf = w.root.file("list.pdf");
        QPrinter& printer = ui::ListPrinter::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPrintRange(QPrinter::AllPages);
        w.modals.expect<QPrintDialog>([](QPrintDialog* dialog) { dialog->accept(); });
        frame.execute(cmd::FilePrint);
        QCOMPARE(pdfPages(pdf), pages);

        int previewPages = 0;
        w.modals.expect<QPrintPreviewDialog>([&previewPages](QPrintPreviewDialog* dialog) {
            auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            preview->updatePreview();
            previewPages = preview->pageCount();
            dialog->resize(700, 800);
            dialog->grab().save("/tmp/m/preview.png");
            dialog->reject();
        });
        frame.execute(cmd::FilePrintPreview);
        QCOMPARE(previewPages, pages);

        // Export to Textfile: beside the stored document, every group.
        const std::string stored = w.root.file("pump.par");
        w.files.answer(stored);
        frame.execute(cmd::FileSaveAs);
        merlin::testing::LaunchRecorder viewer;
        w.messages.expect("The software created a print file :\n" + w.root.file("pump.txt"), MsgIcon::Information);
        frame.execute(cmd::ExportText);
        const std::string text = readFile(w.root.file("pump.txt"));
        CDpfParSet& set = doc->document().set();
        for (int g = 0; g < set.NumberOfGroups(); ++g)
            QVERIFY(text.find(CListExport::groupHeading(set, g) + "\n" + CListExport::parameterLine(set, g, 0)) !=
                    std::string::npos);
        QVERIFY(w.messages.verify());
    }

    void keypadRunsTheDriveAndBroadcastDisablesTheSources()
    {
        World w;
        w.addDrive(5);
        w.addDrive(6);
        w.drives.setRegister(5, 201, 0x0408);
        w.drives.setRegister(5, 203, 1250);
        w.drives.setRegister(5, 52, 0x0002);
        shell::CMainFrame& frame = w.start();
        ui::CParameterFrame* doc = w.openOnline(1);
        QVERIFY(doc != nullptr);
        frame.execute(cmd::Keypad);
        auto* keypad = frame.findChild<ui::CKeypadDlg*>();
        QVERIFY(keypad != nullptr);
        QCOMPARE(keypad->windowTitle(), QString("Keypad Controls - Addr. :5"));
        using B = KeypadWindow::Button;

        keypad->button(B::Fwd)->click();
        QCOMPARE(w.drives.registerValue(5, 201), std::optional<uint16_t>(0x0005));
        keypad->ext1()->click();
        QCOMPARE(keypad->speed()->text(), QString("12.50"));
        keypad->button(B::Inc)->click();
        QCOMPARE(w.drives.registerValue(5, 203), std::optional<uint16_t>(1350));
        keypad->speed()->setText("40.25");
        keypad->button(B::Download)->click();
        QCOMPARE(w.drives.registerValue(5, 203), std::optional<uint16_t>(4025));
        keypad->button(B::Stop)->click();
        QCOMPARE(*w.drives.registerValue(5, 201) & 0x000F, 0x0003);
        w.drives.setRegister(5, 201, 0x8005);
        keypad->button(B::ErrorReset)->click();
        QCOMPARE(w.drives.registerValue(5, 201), std::optional<uint16_t>(0x0005));

        keypad->detailsButton()->click();
        QCOMPARE(keypad->detailsButton()->text(), QString("<< Details"));
        QVERIFY(keypad->detailsBox()->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(keypad->field("enable")->text(), QString("EN On"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(keypad->field("controlWord1")->text(), QString("0x0005"), 5000);
        keypad->grab().save("/tmp/m/keypad.png");

        keypad->broadcast()->click();
        QVERIFY(!keypad->ext1()->isEnabled() && !keypad->ext2()->isEnabled());
        QVERIFY(keypad->button(B::Fwd)->isEnabled());
        QCOMPARE(keypad->field("controlWord1")->text(), QString("----"));
        keypad->grab().save("/tmp/m/keypad-broadcast.png");
        keypad->button(B::Rev)->click();
        // A broadcast reaches every drive.
        QCOMPARE(w.drives.registerValue(6, 201), std::optional<uint16_t>(0x0009));
        keypad->standard()->click();
        QVERIFY(keypad->ext1()->isEnabled());

        keypad->close();
        QTRY_VERIFY_WITH_TIMEOUT(frame.findChild<ui::CKeypadDlg*>() == nullptr, 5000);
        QVERIFY(w.messages.verify());
    }

    void keypadWithoutAnOnlineListLetsTheUserPickTheDrive()
    {
        World w;
        w.addDrive(5);
        w.addDrive(6);
        w.drives.setRegister(6, 201, 0x0408);
        shell::CMainFrame& frame = w.start();
        // The network is examined, nothing chosen yet.
        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) { dialog->reject(); });
        frame.execute(cmd::CheckNetwork);
        QVERIFY(ui::activeParameterFrame(frame) == nullptr);

        // Cancel: no window, nothing sent.
        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) { dialog->reject(); });
        frame.execute(cmd::Keypad);
        QVERIFY(frame.findChild<ui::CKeypadDlg*>() == nullptr);

        w.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) {
            dialog->selectRow(2);
            dialog->accept();
        });
        frame.execute(cmd::Keypad);
        auto* keypad = frame.findChild<ui::CKeypadDlg*>();
        QVERIFY(keypad != nullptr);
        QCOMPARE(keypad->windowTitle(), QString("Keypad Controls - Addr. :6"));
        QVERIFY(keypad->button(KeypadWindow::Button::Fwd)->isEnabled());
        keypad->button(KeypadWindow::Button::Fwd)->click();
        QCOMPARE(w.drives.registerValue(6, 201), std::optional<uint16_t>(0x0005));
        // The choice made no document and leaves no station for the next one.
        QVERIFY(ui::activeParameterFrame(frame) == nullptr);
        QCOMPARE(state().selectedStation, 0);
        keypad->close();
        QTRY_VERIFY_WITH_TIMEOUT(frame.findChild<ui::CKeypadDlg*>() == nullptr, 5000);
        QVERIFY(w.messages.verify());
    }
};

QTEST_MAIN(MerlinToolsTest)
#include "MerlinTools_qtest.moc"
