// A second program on the shell, shaped like Merlin: no Save in its menus or
// toolbar, "Modbus" in its Options menu, its own start-up check and profile
// keys. It must come up, route commands, show prompts and refuse as it should.
#include <shell/CMainFrame.h>
#include <shell/CMdiChild.h>
#include <shell/CShellApp.h>
#include <shell/CommandIds.h>
#include <shell/ShellContext.h>
#include <shell/ShellImages.h>
#include <shell/ShellTexts.h>

#include <platform/RegistryStore.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/qt/QtFailure.h>
#include <platform/testing/TempDir.h>
#include <plumage/plumage.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <cstdlib>

namespace cmd = shell::cmd;
using platform::MsgIcon;

namespace {

constexpr int kModbus = 32850;
const char* const kOleFailed = "Ole Init failed !";

// The program's own profile key beside the shell's.
class OtherContext : public shell::ShellContext {
public:
    int timeout = 100;
    void loadProgramSettings(const platform::Profile& p) override { timeout = p.getInt("Settings", "Timeout", 100); }
    bool saveProgramSettings(platform::Profile& p) override { return p.writeInt("Settings", "Timeout", timeout); }
};

struct Program {
    bool busReachable = true;
    int modbusRuns = 0;
    int newRuns = 0;

    shell::ProgramDescription describe()
    {
        shell::ProgramDescription p;
        p.mainMenu.popups = {
            {"&File",
             {{cmd::FileOpen, "&Open Parameter List...\tCtrl+O", false,
               "Open an existing parameter list\nOpen Parameter List"},
              {},
              {shell::kRecentFiles, "", false, ""},
              shell::exitEntry()}},
            shell::settingsPopup(),
            {"&Options",
             {{cmd::SplashOnStart, "&Splash on start", true, ""},
              {kModbus, "Modbus", false, "Test the Modbus link\nModbus Test"},
              {},
              {cmd::HideOptions, "&Hide options menu", false, ""}}},
            shell::helpPopup(),
        };
        p.mainMenu.optionsPopup = 2;
        p.childMenu = p.mainMenu;
        p.childMenu.popups.front().entries.insert(p.childMenu.popups.front().entries.begin() + 1,
                                                 {cmd::FileClose, "&Close Parameter List", false,
                                                  "Close the active parameter list"});
        p.toolbar = {{cmd::FileOpen, QStyle::SP_DialogOpenButton}, {cmd::FileSave, QStyle::SP_DialogSaveButton},
                     {}, {cmd::AppAbout, QStyle::SP_MessageBoxInformation}};
        p.startupCheck = [this] { return busReachable ? std::string() : std::string(kOleFailed); };
        p.installCommands = [this](shell::CMainFrame& frame) {
            frame.setCommandHandler(kModbus, [this] { ++modbusRuns; });
            frame.setCommandHandler(cmd::FileOpen, [this] { ++newRuns; });
        };
        return p;
    }
};

// A document window that closes itself and keeps the Modbus command grey.
class Document : public shell::CMdiChild {
public:
    int closes = 0;
    bool onCommand(int id) override
    {
        if (id != cmd::FileClose) return false;
        ++closes;
        return true;
    }
    std::optional<bool> commandEnabled(int id) const override
    {
        if (id == cmd::FileClose) return true;
        if (id == kModbus) return false;
        return std::nullopt;
    }
};

struct World {
    platform::testing::TempDir root;
    platform::testing::RegistryRedirect redirect{root.path() + "/registry"};
    std::string install = root.path() + "/install";
    platform::testing::ScriptedResponder messages{platform::testing::qtFailure()};

    World()
    {
        setenv("XDG_RUNTIME_DIR", root.path().c_str(), 1);
        root.write("install/.keep", "");
        platform::RegistryStore::instance().setString(platform::Hive::LocalMachine,
                                                      "SOFTWARE\\" + getCompanyName() + "\\Aviary\\1.4.1",
                                                      "InstallPath", install);
        platform::Profile p = shell::ShellContext::profile();
        p.writeInt("Options", "Splash", 0);
        p.writeInt("Options", "Com", 0);
    }
};

// A frame of the program without the start-up around it.
struct FrameWorld {
    World w;
    Program program;
    OtherContext context;
    shell::CMainFrame frame{context, program.describe()};
};

QMenu* menuTitled(shell::CMainFrame& frame, const QString& title)
{
    for (QAction* m : frame.menuBar()->actions())
        if (m->text() == title) return m->menu();
    return nullptr;
}

QStringList entriesOf(shell::CMainFrame& frame, const QString& title)
{
    QStringList texts;
    if (QMenu* menu = menuTitled(frame, title))
        for (QAction* a : menu->actions()) texts << a->text();
    return texts;
}

}  // namespace

class ProgramFrameTest : public QObject {
    Q_OBJECT
private slots:
    void failingStartupCheckEndsBeforeAnyWindow()
    {
        World w;
        Program program;
        program.busReachable = false;
        OtherContext context;
        w.messages.expect(kOleFailed, MsgIcon::Stop);
        shell::CShellApp app(context, program.describe());
        QCOMPARE(app.start("", "/opt/aviary/merlin"), shell::StartupEnd::CheckFailed);
        QVERIFY(app.mainFrame() == nullptr);
        app.exit();
        // Nothing was read, so nothing of the user's is overwritten.
        QVERIFY(!shell::ShellContext::profile().getString("Settings", "AppPath").size());
        QVERIFY(w.messages.verify());
    }

    void comesUpWithItsOwnMenusAndToolbar()
    {
        World w;
        Program program;
        OtherContext context;
        shell::CShellApp app(context, program.describe());
        QCOMPARE(app.start("/options", "/opt/aviary/merlin"), shell::StartupEnd::Started);
        shell::CMainFrame& frame = *app.mainFrame();
        QCOMPARE(frame.menuTitles(), (QStringList{"&File", "&Settings", "&Options", "&Help"}));
        QVERIFY(entriesOf(frame, "&Options").contains("Modbus"));
        QVERIFY(!entriesOf(frame, "&Options").contains("Con&verter Test"));
        // The toolbar leaves out Save, which this program's menus lack.
        QVERIFY(frame.action(cmd::FileSave) == nullptr);
        QList<QAction*> buttons = frame.toolBar()->actions();
        QCOMPARE(buttons.size(), 3);  // Open, separator, About
        QCOMPARE(buttons.front(), frame.action(cmd::FileOpen));
        QCOMPARE(frame.action(cmd::FileOpen)->toolTip(), QString("Open Parameter List"));
        QCOMPARE(context.installDir, w.install);

        frame.execute(cmd::HideOptions);
        QCOMPARE(frame.menuTitles(), (QStringList{"&File", "&Settings", "&Help"}));
        app.exit();
    }

    void aNamedProgramShowsItsNameAndItsOwnIcon()
    {
        World w;
        Program program;
        OtherContext context;
        shell::ProgramDescription described = program.describe();
        described.programName = "Merlin";
        shell::CShellApp app(context, described);
        QCOMPARE(app.start("", "/opt/aviary/merlin"), shell::StartupEnd::Started);
        shell::CMainFrame& frame = *app.mainFrame();
        const QString title = QString::fromStdString(getCompanyName() + " Merlin");
        QCOMPARE(frame.windowTitle(), title);
        // A window's own title goes after the name; the name stays.
        frame.setWindowTitle("something else");
        QCOMPARE(frame.windowTitle(), title);
        const auto image = [](const QIcon& icon) { return icon.pixmap(QSize(32, 32)).toImage(); };
        QCOMPARE(image(frame.windowIcon()), image(shell::programIcon("Merlin")));
        QVERIFY(image(shell::programIcon("Merlin")) != image(shell::programIcon("Kestrel")));
        QVERIFY(image(shell::programIcon("Kestrel")) != image(shell::programIcon()));
        app.exit();
    }

    void programKeysTravelWithTheShellSettings()
    {
        World w;
        shell::ShellContext::profile().writeInt("Settings", "Timeout", 250);
        Program program;
        OtherContext context;
        {
            shell::CShellApp app(context, program.describe());
            QCOMPARE(app.start("", "/opt/aviary/merlin"), shell::StartupEnd::Started);
            QCOMPARE(context.timeout, 250);
            context.timeout = 400;
            app.exit();
        }
        const platform::Profile p = shell::ShellContext::profile();
        QCOMPARE(p.getInt("Settings", "Timeout", 0), 400);
        QCOMPARE(p.getString("Settings", "AppPath"), std::string("merlin"));
    }

    void routesToTheActiveWindowFirst()
    {
        FrameWorld f;
        QVERIFY(f.frame.create());
        f.frame.show();
        auto& [w, program, context, frame] = f;
        QVERIFY(frame.action(kModbus)->isEnabled());
        frame.action(kModbus)->trigger();
        QCOMPARE(program.modbusRuns, 1);
        QVERIFY(!frame.action(cmd::FileClose)->isEnabled());  // nobody handles it yet

        auto* doc = new Document;
        frame.addChildWindow(doc);
        QTRY_VERIFY(frame.action(cmd::FileClose)->isEnabled());
        QVERIFY(!frame.action(kModbus)->isEnabled());
        frame.execute(cmd::FileClose);
        QCOMPARE(doc->closes, 1);
        frame.execute(cmd::FileOpen);  // not the window's: falls through to the program
        QCOMPARE(program.newRuns, 1);

        // The close rule holds for any program: a document keeps the frame open.
        w.messages.expect(shell::text::kCloseListsFirst, MsgIcon::Exclamation);
        QVERIFY(!frame.close());
        QVERIFY(frame.isVisible());
        QVERIFY(w.messages.verify());
        frame.mdiArea()->closeAllSubWindows();
        QTRY_VERIFY(frame.mdiArea()->subWindowList().isEmpty());
        QVERIFY(frame.close());
    }

    void hoveredEntryShowsItsPrompt()
    {
        FrameWorld f;
        QVERIFY(f.frame.create());
        f.frame.show();
        auto& [w, program, context, frame] = f;
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QMenu* file = menuTitled(frame, "&File");
        QVERIFY(file != nullptr);
        file->popup(frame.mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(file->isVisible());
        file->setActiveAction(frame.action(cmd::FileOpen));
        QTRY_COMPARE(frame.paneText(shell::CMainFrame::PaneMessage), QString("Open an existing parameter list"));
        file->setActiveAction(frame.action(cmd::AppExit));
        QTRY_COMPARE(frame.paneText(shell::CMainFrame::PaneMessage), QString("Quit the application"));
        file->hide();
        QTRY_COMPARE(frame.paneText(shell::CMainFrame::PaneMessage), QString("Ready"));
    }
};

QTEST_MAIN(ProgramFrameTest)
#include "ProgramFrame_qtest.moc"
