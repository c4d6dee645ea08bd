// Start-up and exit of the application with the real windows (offscreen).
#include "ShellQtTest.h"

#include <kestrel/core/CTelegram.h>
#include <shell/CAboutDlg.h>
#include <shell/CMainFrame.h>
#include <shell/CShellApp.h>
#include <shell/ShellTexts.h>
#include <platform/qt/QtSingleInstance.h>

#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <filesystem>
#include <unistd.h>

using namespace shelltest;
using shell::StartupEnd;

namespace {

bool anyMainWindowVisible()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w) && w->isVisible()) return true;
    return false;
}

std::string currentDirectory()
{
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

}  // namespace

class ShellStartupTest : public QObject {
    Q_OBJECT
private slots:
    void missingRegistryEntryEndsWithoutMainWindow()
    {
        World w;
        w.profile().writeInt("Options", "Splash", 0);
        w.expect(shell::text::kRegistryMissing, MsgIcon::Stop);
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "/opt/aviary/kestrel"), StartupEnd::NoInstallation);
        QVERIFY(app.mainFrame() == nullptr);
        QVERIFY(!anyMainWindowVisible());
    }

    void previousVersionKeyIsTakenOver()
    {
        World w;
        w.quietStart();
        w.registry().deleteKey(Hive::LocalMachine, kInstallKey);
        w.registry().setString(Hive::LocalMachine, kPreviousKey, "InstallPath", w.install + "/");
        w.root.write("install/Receive.txt", "old log");
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "/opt/aviary/kestrel"), StartupEnd::Started);
        QCOMPARE(w.registry().getString(Hive::LocalMachine, kInstallKey, "InstallPath").value_or(""), w.install + "/");
        QCOMPARE(kestrel::state().installDir, w.install);
        QCOMPARE(w.root.read("install/Receive.txt"), std::string());
        QCOMPARE(currentDirectory(), w.install);
        QVERIFY(app.mainFrame()->isVisible());
        QCOMPARE(kestrel::shell().settings.appPath, std::string("kestrel"));
    }

    void optionsMenuOnlyForExactCommandLine_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("options");
        QTest::newRow("exact") << "/options" << true;
        QTest::newRow("upper case") << "/OPTIONS" << false;
        QTest::newRow("more text") << "/options x" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("leading blank") << " /options" << false;
    }
    void optionsMenuOnlyForExactCommandLine()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, options);
        World w;
        w.quietStart();
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start(commandLine.toStdString(), "kestrel"), StartupEnd::Started);
        QCOMPARE(kestrel::shell().optionsFlag, options);
        QCOMPARE(app.mainFrame()->menuTitles().contains("&Options"), options);
    }

    void commandLineJoinsArguments()
    {
        QCOMPARE(shell::CShellApp::commandLineOf({"kestrel"}), std::string());
        QCOMPARE(shell::CShellApp::commandLineOf({"kestrel", "/options"}), std::string("/options"));
        QCOMPARE(shell::CShellApp::commandLineOf({"kestrel", "/options", "x"}), std::string("/options x"));
    }

    void secondInstanceEndsAndWakesTheFirst()
    {
        World w;
        w.quietStart();
        w.profile().writeString("Settings", "Baud", "4800");
        platform::SingleInstance first(getSoftwareName());
        QVERIFY(first.acquire());
        {
            shell::CShellApp second(kestrel::shell(), kestrel::kestrelProgram());
            QCOMPARE(second.start("", "kestrel"), StartupEnd::OtherInstance);
            QVERIFY(second.mainFrame() == nullptr);
            kestrel::shell().settings.baud = "1200";
            second.exit();
        }
        QCOMPARE(first.serviceActivations({}), 1);
        // The second start never read the settings, so it wrote none either.
        QCOMPARE(w.profile().getString("Settings", "Baud"), std::string("4800"));
    }

    void runningInstanceComesToTheFront()
    {
        World w;
        platform::SingleInstance first(getSoftwareName());
        QVERIFY(first.acquire());
        platform::qt::ActivationWatcher watcher(first);
        QWidget window;
        window.showMinimized();
        watcher.setWindow(&window);
        QSignalSpy activated(&watcher, &platform::qt::ActivationWatcher::activated);
        platform::SingleInstance second(getSoftwareName());
        QVERIFY(!second.acquire());
        QTRY_COMPARE(activated.count(), 1);
        QVERIFY(!window.isMinimized());
    }

    void closeIsRefusedWhileAListIsOpen()
    {
        World w;
        w.quietStart();
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "kestrel"), StartupEnd::Started);
        shell::CMainFrame* frame = app.mainFrame();
        auto* list = frame->addChildWindow(new QWidget);
        w.expect(shell::text::kCloseListsFirst, MsgIcon::Exclamation);
        QVERIFY(!frame->close());
        QVERIFY(frame->isVisible());
        QVERIFY(kestrel::state().log.isOpen());
        list->close();
        QTRY_VERIFY(frame->mdiArea()->subWindowList().isEmpty());
        QVERIFY(frame->close());
        QVERIFY(!kestrel::state().log.isOpen());
    }

    void dummyFollowsTheOptionsFlag_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("dated");
        QTest::newRow("without /options") << "" << false;
        QTest::newRow("with /options") << "/options" << true;
    }
    void dummyFollowsTheOptionsFlag()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, dated);
        World w;
        w.quietStart();
        w.profile().writeInt("Options", "Dummy", 1);
        {
            shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
            QCOMPARE(app.start(commandLine.toStdString(), "kestrel"), StartupEnd::Started);
            QCOMPARE(kestrel::shell().settings.dummy, dated);
            shell::CAboutDlg about(kestrel::shell().settings.dummy);
            const QString text = child<QLabel>(&about, "aboutText")->text();
            QCOMPARE(text.contains("( Aug 21 2006 )"), dated);
            app.exit();
        }
        // Written back only with the options flag, so a plain start keeps the stored 1.
        QCOMPARE(w.profile().getInt("Options", "Dummy", -1), 1);
    }

    void startupDialogNoThenNoEndsTheProgram()
    {
        World w;
        w.installKey();
        w.expect(shell::text::kStartupHint, MsgIcon::Exclamation, MsgAnswer::No);
        w.modals.expectNamed("startupDialog", [](QWidget* d) { child<QPushButton>(d, "noButton")->click(); });
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "kestrel"), StartupEnd::Declined);
        QVERIFY(app.mainFrame() == nullptr);
    }

    void startupDialogHintYesGoesOn()
    {
        World w;
        w.installKey();
        w.profile().writeInt("Options", "Com", 0);
        w.expect(shell::text::kStartupHint, MsgIcon::Exclamation, MsgAnswer::Yes);
        w.modals.expectNamed("startupDialog", [](QWidget* d) { child<QPushButton>(d, "noButton")->click(); });
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "kestrel"), StartupEnd::Started);
    }

    void noComPortAtStartEndsTheProgram()
    {
        World w;
        w.installKey();
        w.profile().writeInt("Options", "Splash", 0);
        PortMap ports({false, false, false, false}, w.root.path());
        w.expect(shell::text::kNoComPort, MsgIcon::Stop);
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "kestrel"), StartupEnd::NoPort);
        QVERIFY(!anyMainWindowVisible());
    }

    void communicationDialogAtStart()
    {
        World w;
        w.installKey();
        w.profile().writeInt("Options", "Splash", 0);
        w.profile().writeString("Settings", "Baud", "9600");
        PortMap ports({false, true, false, false}, w.root.path());
        w.modals.expectNamed("commDialog", [](QWidget* d) {
            auto* box = child<QCheckBox>(d, "dontShowAgain");
            QVERIFY(box->isVisible());
            box->setChecked(true);
            child<QRadioButton>(d, "baud19200")->setChecked(true);
            child<QPushButton>(d, "okButton")->click();
        });
        {
            shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
            QCOMPARE(app.start("", "kestrel"), StartupEnd::Started);
            QCOMPARE(kestrel::state().settings.commSettings, std::string("19200,N,8,1"));
            QCOMPARE(kestrel::state().settings.port, 2);
            QCOMPARE(kestrel::state().portTestResult, 2);
            app.exit();
        }
        QCOMPARE(w.profile().getInt("Options", "Com", -1), 0);
        QCOMPARE(w.profile().getInt("Settings", "Port", -1), 2);
    }

    void communicationDialogClosedAtStartKeepsTheStoredSettings()
    {
        World w;
        w.installKey();
        w.profile().writeInt("Options", "Splash", 0);
        w.profile().writeString("Settings", "Baud", "4800");
        w.profile().writeInt("Settings", "Port", 1);
        PortMap ports({true, false, false, false}, w.root.path());
        w.modals.expectNamed("commDialog", [](QWidget* d) { qobject_cast<QDialog*>(d)->reject(); });
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "kestrel"), StartupEnd::Started);
        QCOMPARE(kestrel::state().settings.commSettings, std::string("4800,N,8,1"));
        QCOMPARE(kestrel::state().portTestResult, 0);
        QVERIFY(kestrel::shell().settings.com);
    }

    void serialControlFailureEndsTheProgram()
    {
        World w;
        w.quietStart();
        kestrel::KestrelOptions config;
        config.telegramFactory = [] { return std::unique_ptr<kestrel::CTelegram>(); };
        w.expect(kestrel::text::kSerialControlFailed, MsgIcon::None);
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram(config));
        QCOMPARE(app.start("", "kestrel"), StartupEnd::FrameFailed);
        QVERIFY(app.mainFrame() == nullptr);
    }

    void startPreparesTheInstallation()
    {
        World w;
        w.quietStart();
        w.profile().writeString("Settings", "Baud", "38400");
        w.profile().writeInt("Settings", "Port", 2);
        const std::string stale[] = {"install/parameter/a.~pa", "install/custom/b.~ct"};
        const std::string kept[] = {"install/parameter/keep.par", "install/custom/c.~pa", "install/parameter/d.~ct"};
        for (const auto& f : stale) w.root.write(f, "x");
        for (const auto& f : kept) w.root.write(f, "x");
        kestrel::state().windowPresence = std::string(32, '1');
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "kestrel"), StartupEnd::Started);
        for (const auto& f : stale) QVERIFY2(!std::filesystem::exists(w.root.file(f)), f.c_str());
        for (const auto& f : kept) QVERIFY2(std::filesystem::exists(w.root.file(f)), f.c_str());
        QCOMPARE(kestrel::state().windowPresence, std::string(32, '0'));
        QCOMPARE(kestrel::state().deviceStatus, std::string(32, '0'));
        // Without the communication dialog the stored settings are applied.
        QCOMPARE(kestrel::state().settings.commSettings, std::string("57600,N,8,1"));
        QCOMPARE(kestrel::state().settings.port, 2);
        QCOMPARE(app.mainFrame()->paneText(shell::CMainFrame::PanePort), QString("COM2"));
    }

    void exitSavesTheSettingsOnce()
    {
        World w;
        w.quietStart();
        shell::CShellApp app(kestrel::shell(), kestrel::kestrelProgram());
        QCOMPARE(app.start("", "kestrel"), StartupEnd::Started);
        kestrel::shell().settings.readerPath = "/usr/bin/evince";
        kestrel::state().settings.repeat = 3;
        app.exit();
        QCOMPARE(w.profile().getString("Settings", "ReaderPath"), std::string("/usr/bin/evince"));
        QCOMPARE(w.profile().getInt("Times", "Repeat", 0), 3);
        QCOMPARE(w.profile().getString("Settings", "AppPath"), std::string("kestrel"));
        kestrel::state().settings.repeat = 5;
        app.exit();
        QCOMPARE(w.profile().getInt("Times", "Repeat", 0), 3);
    }
};

QTEST_MAIN(ShellStartupTest)
#include "ShellStartup_qtest.moc"
