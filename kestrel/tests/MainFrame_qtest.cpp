// The main frame: menus 128 and 129, panes, title, About text, command
// enabling and routing, the option toggles.
#include "ShellQtTest.h"

#include <shell/CMainFrame.h>
#include <kestrel/ui/CommandIds.h>
#include <shell/CommandTarget.h>
#include <shell/ShellTexts.h>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>

using namespace shelltest;
namespace cmd = kestrel::cmd;

namespace {

std::unique_ptr<shell::CMainFrame> makeFrame()
{
    auto frame = std::make_unique<shell::CMainFrame>(kestrel::shell(), kestrel::kestrelProgram());
    if (!frame->create()) QTest::qFail("frame not created", __FILE__, __LINE__);
    frame->show();
    return frame;
}

QMenu* menuNamed(shell::CMainFrame& frame, const QString& title)
{
    for (QAction* a : frame.menuBar()->actions())
        if (a->text() == title) return a->menu();
    return nullptr;
}

// A list window that answers for two commands.
class FakeList : public QWidget, public shell::CommandTarget {
public:
    int saved = 0;
    bool onCommand(int id) override
    {
        if (id != cmd::FileSave) return false;
        ++saved;
        return true;
    }
    std::optional<bool> commandEnabled(int id) const override
    {
        if (id == cmd::FileSave) return true;
        if (id == cmd::FaultHistory) return false;
        return std::nullopt;
    }
    std::optional<std::string> commandText(int id) const override
    {
        if (id == cmd::FileClose) return "&Close";
        return std::nullopt;
    }
};

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void mainMenuTextsAndIds_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("open") << cmd::FileOpen << "&Open Parameter List...\tCtrl+O";
        QTest::newRow("exit") << cmd::AppExit << "E&xit";
        QTest::newRow("check network") << cmd::CheckNetwork << "&Check Network...";
        QTest::newRow("device list") << cmd::OpenDeviceList << "&Open Parameter List";
        QTest::newRow("keypad") << cmd::Keypad << "&Keypad controls";
        QTest::newRow("create list") << cmd::CreateList << "&Create List";
        QTest::newRow("modify list") << cmd::ModifyList << "&Modify List";
        QTest::newRow("program list") << cmd::ProgramList << "&Program List";
        QTest::newRow("communication") << cmd::Communication << "&Communication";
        QTest::newRow("status scan") << cmd::StatusScan << "&Status Scan Enable";
        QTest::newRow("parameters") << cmd::ProgramParameters << "&Parameters";
        QTest::newRow("toolbar") << cmd::ViewToolbar << "&Toolbar";
        QTest::newRow("status bar") << cmd::ViewStatusBar << "Status &Bar";
        QTest::newRow("splash") << cmd::SplashOnStart << "&Splash on start";
        QTest::newRow("com on start") << cmd::CommOnStart << "&Communication on start";
        QTest::newRow("debug") << cmd::Debug << "&Debug";
        QTest::newRow("converter test") << cmd::ConverterTest << "Con&verter Test";
        QTest::newRow("hide options") << cmd::HideOptions << "&Hide options menu";
        QTest::newRow("help") << cmd::HelpParameter << "&Parameter";
    }
    void mainMenuTextsAndIds()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        World w;
        auto frame = makeFrame();
        QCOMPARE(frame->menuText(id), text);
        QCOMPARE(frame->action(id)->data().toInt(), id);
    }

    void menuBarsWithAndWithoutAList()
    {
        World w;
        auto frame = makeFrame();
        const QStringList main = {"&File", "&Inverter", "&Customer List", "&Settings", "&Options", "&Help"};
        QCOMPARE(frame->menuTitles(), main);
        auto* sub = frame->addChildWindow(new QWidget);
        QCOMPARE(frame->menuTitles(),
                 (QStringList{"&File", "&Inverter", "&Customer List", "&Settings", "&Options", "&Window", "&Help"}));
        QVERIFY(menuNamed(*frame, "&Inverter")->actions().contains(frame->action(cmd::UploadAll)));
        sub->close();
        QTRY_COMPARE(frame->menuTitles(), main);
        frame->removeOptionsMenu();
        QCOMPARE(frame->menuTitles(), (QStringList{"&File", "&Inverter", "&Customer List", "&Settings", "&Help"}));
        frame->addChildWindow(new QWidget);
        QVERIFY(!frame->menuTitles().contains("&Options"));
    }

    void everyMainMenuCommandHasItsHandler()
    {
        World w;
        auto frame = makeFrame();
        for (int id : {cmd::AppExit, cmd::Communication, cmd::StatusScan, cmd::ProgramParameters, cmd::ViewToolbar,
                       cmd::ViewStatusBar, cmd::SplashOnStart, cmd::CommOnStart, cmd::Debug, cmd::HideOptions,
                       cmd::HelpParameter, cmd::AppAbout, cmd::FileOpen, cmd::ProgramList, cmd::CreateList,
                       cmd::ModifyList, cmd::CheckNetwork, cmd::OpenDeviceList, cmd::Keypad, cmd::ConverterTest})
            QVERIFY2(frame->action(id)->isEnabled(), qPrintable(frame->menuText(id)));
        int runs = 0;
        frame->setCommandHandler(cmd::CreateList, [&] { ++runs; });
        QVERIFY(frame->action(cmd::CreateList)->isEnabled());
        frame->action(cmd::CreateList)->trigger();
        QCOMPARE(runs, 1);
    }

    void activeListWindowAnswersFirst()
    {
        World w;
        auto frame = makeFrame();
        int frameSaves = 0;
        frame->setCommandHandler(cmd::FileSave, [&] { ++frameSaves; });
        frame->setCommandHandler(cmd::FaultHistory, [] {});
        auto* list = new FakeList;
        frame->addChildWindow(list);
        frame->mdiArea()->setActiveSubWindow(frame->mdiArea()->subWindowList().front());
        frame->updateCommandStates();
        QVERIFY(!frame->action(cmd::FaultHistory)->isEnabled());
        QCOMPARE(frame->action(cmd::FileClose)->text(), QString("&Close"));
        frame->execute(cmd::FileSave);
        QCOMPARE(list->saved, 1);
        QCOMPARE(frameSaves, 0);
    }

    void panesAndTheirWidths()
    {
        World w;
        auto frame = makeFrame();
        QCOMPARE(frame->paneText(shell::CMainFrame::PaneMessage), QString("Ready"));
        kestrel::shell().settings = {};
        kestrel::shell().settings.baud = "19200";
        kestrel::shell().settings.port = 4;
        kestrel::shell().settings.protocol = "8N1";
        kestrel::shell().applySettings();
        QCOMPARE(frame->paneText(shell::CMainFrame::PaneBaud), QString("19200"));
        QCOMPARE(frame->paneText(shell::CMainFrame::PanePort), QString("COM4"));
        QCOMPARE(frame->paneText(shell::CMainFrame::PaneProtocol), QString("8N1"));
        const auto width = [&](int p) { return frame->pane(p)->width(); };
        QVERIFY(width(1) > width(2) && width(2) > width(3) && width(4) > width(1));
        for (int p = 1; p <= 3; ++p) {
            QLabel* pane = frame->pane(p);
            QVERIFY2(pane->fontMetrics().horizontalAdvance(pane->text()) <= pane->contentsRect().width(),
                     qPrintable(pane->text()));
        }
    }

    void titleAndAboutTextRules()
    {
        World w;
        auto frame = makeFrame();
        const QString company = QString::fromStdString(getCompanyName());
        QCOMPARE(frame->windowTitle(), company);
        frame->setWindowTitle("Aviary Drives - [ADDR=05\"Pump 2\"]");
        QCOMPARE(frame->windowTitle(), company);
        emit menuNamed(*frame, "&Help")->aboutToShow();
        QCOMPARE(frame->action(cmd::AppAbout)->text(), QString::fromStdString("&About " + getSoftwareName() + " ..."));
    }

    void optionToggles_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("splash") << cmd::SplashOnStart;
        QTest::newRow("com") << cmd::CommOnStart;
        QTest::newRow("debug") << cmd::Debug;
        QTest::newRow("ctim") << cmd::ToggleCTim;
        QTest::newRow("status scan") << cmd::StatusScan;
    }
    void optionToggles()
    {
        QFETCH(int, id);
        World w;
        auto frame = makeFrame();
        auto& s = kestrel::shell();
        const auto flag = [&]() -> bool {
            switch (id) {
            case cmd::SplashOnStart: return s.settings.splash;
            case cmd::CommOnStart: return s.settings.com;
            case cmd::Debug: return kestrel::state().settings.debug;
            case cmd::ToggleCTim: return s.ctim;
            default: return s.statusScan;
            }
        };
        const bool before = flag();
        const bool marked = frame->action(id)->isCheckable();  // the menu entries show a check mark
        QCOMPARE(marked, id != cmd::ToggleCTim);
        if (marked) QCOMPARE(frame->action(id)->isChecked(), before);
        frame->execute(id);
        QCOMPARE(flag(), !before);
        if (marked) QCOMPARE(frame->action(id)->isChecked(), !before);
        frame->execute(id);
        QCOMPARE(flag(), before);
    }

    void hideOptionsMenuClearsTheFlag()
    {
        World w;
        auto frame = makeFrame();
        kestrel::shell().optionsFlag = true;
        frame->execute(cmd::HideOptions);
        QVERIFY(!kestrel::shell().optionsFlag);
        QVERIFY(!frame->optionsMenuPresent());
        QVERIFY(!frame->menuTitles().contains("&Options"));
    }

    void toolbarAndStatusBarShowAndHide()
    {
        World w;
        auto frame = makeFrame();
        QVERIFY(frame->action(cmd::ViewToolbar)->isChecked());
        frame->execute(cmd::ViewToolbar);
        QVERIFY(frame->toolBar()->isHidden());
        QVERIFY(!frame->action(cmd::ViewToolbar)->isChecked());
        frame->execute(cmd::ViewStatusBar);
        QVERIFY(frame->statusBar()->isHidden());
        QVERIFY(!frame->action(cmd::ViewStatusBar)->isChecked());
    }

    void noPortLeftEndsTheProgram()
    {
        World w;
        auto frame = makeFrame();
        PortMap ports({false, false, false, false}, w.root.path());
        QSignalSpy quit(frame.get(), &shell::CMainFrame::quitRequested);
        w.expect(shell::text::kNoComPort, MsgIcon::Stop);
        frame->execute(cmd::Communication);
        QCOMPARE(quit.count(), 1);
    }

    void recentFilesGoToTheirHandler()
    {
        World w;
        kestrel::shell().addRecentFile("/a/one.par");
        kestrel::shell().addRecentFile("/a/two.par");
        kestrel::shell().addRecentFile("/a/one.par");
        QCOMPARE(kestrel::shell().recentFiles, (std::vector<std::string>{"/a/one.par", "/a/two.par"}));
        auto frame = makeFrame();
        std::string opened;
        frame->setRecentFileHandler([&](const std::string& p) { opened = p; });
        QMenu* file = menuNamed(*frame, "&File");
        emit file->aboutToShow();
        QAction* second = nullptr;
        for (QAction* a : file->actions())
            if (a->text() == "&2 /a/two.par") second = a;
        QVERIFY(second != nullptr);
        second->trigger();
        QCOMPARE(opened, std::string("/a/two.par"));
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrame_qtest.moc"
