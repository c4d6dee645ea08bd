// Parameter help (reader search, reader dialog, help file list, starting the
// reader), the version list, and the About text.
#include "ShellQtTest.h"

#include <shell/CAboutDlg.h>
#include <shell/CReaderPathDlg.h>
#include <shell/HelpViewer.h>
#include <shell/ShellTexts.h>
#include <platform/ProcessLauncher.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <sys/stat.h>

using namespace shelltest;
using shell::HelpViewer;

namespace {

// Answers the two dialogs from a script and remembers what it was shown.
struct ScriptedHelpUi : shell::HelpUi {
    std::optional<std::string> readerAnswer;   // nullopt: Cancel
    std::optional<std::string> listAnswer;     // nullopt: Cancel; "" : the first entry
    shell::SelectList shownList;
    std::string shownHint;
    int readerAsked = 0;

    bool askReaderPath(std::string& path) override
    {
        ++readerAsked;
        if (!readerAnswer) return false;
        path = *readerAnswer;
        return true;
    }
    std::optional<std::string> chooseFromList(const shell::SelectList& list, const std::string& hint) override
    {
        shownList = list;
        shownHint = hint;
        if (!listAnswer) return std::nullopt;
        return listAnswer->empty() ? list.entries.front() : *listAnswer;
    }
};

std::string executable(World& w, const std::string& name)
{
    const std::string path = w.root.write(name, "#!/bin/sh\n");
    chmod(path.c_str(), 0755);
    return path;
}

struct Launches {
    std::vector<platform::LaunchRequest> seen;
    int answer = platform::kLaunchOk;
    platform::LaunchHandler previous;
    Launches()
    {
        previous = platform::setLaunchHandler([this](const platform::LaunchRequest& r) {
            seen.push_back(r);
            return answer;
        });
    }
    ~Launches() { platform::setLaunchHandler(previous); }
};

}  // namespace

class ShellHelpTest : public QObject {
    Q_OBJECT
private slots:
    void findReader()
    {
        World w;
        const shell::ReaderSearch none{{w.root.path() + "/empty"}, {"okular"}};
        std::string path = "C:\\acrobat\\AcroRd32.exe";
        QVERIFY(shell::findReader(path, none));
        QCOMPARE(path, std::string("C:\\acrobat\\AcroRd32.exe"));
        path = "AcroRd32.exe";  // searched from the second character on
        QVERIFY(!shell::findReader(path, none));
        path = executable(w, "bin/myreader");
        QVERIFY(shell::findReader(path, none));
        path.clear();
        const std::string okular = executable(w, "second/okular");
        executable(w, "third/okular");
        const shell::ReaderSearch search{{w.root.path() + "/first", w.root.path() + "/second", w.root.path() + "/third"},
                                           {"evince", "okular"}};
        QVERIFY(shell::findReader(path, search));
        QCOMPARE(path, okular);
        w.root.write("first/evince", "not executable");
        path.clear();
        QVERIFY(shell::findReader(path, search));
        QCOMPARE(path, okular);
    }

    void readerPathDialogRules()
    {
        World w;
        shell::CReaderPathDlg dialog;
        dialog.show();
        w.expect(shell::text::kReaderPathEmpty, MsgIcon::None);
        child<QPushButton>(&dialog, "okButton")->click();
        QVERIFY(dialog.isVisible());
        dialog.setPath(QString::fromStdString(w.root.path() + "/no-reader"));
        w.expect(shell::text::kInvalidFile, MsgIcon::None);
        child<QPushButton>(&dialog, "okButton")->click();
        QVERIFY(dialog.isVisible());
        dialog.setPath(QString::fromStdString(executable(w, "reader")));
        child<QPushButton>(&dialog, "okButton")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void versionListFromDatabaseFiles()
    {
        World w;
        for (const char* f : {"tvk/RQ-1808.tvk", "tvk/RQ-0123.tvk", "tvk/RQ-12.tvk", "tvk/plain.tvk", "tvk/RQ-1812.txt"})
            w.root.write(std::string("install/") + f, "x");
        const shell::SelectList list = shell::buildSelectList(shell::VersionList, w.install);
        QCOMPARE(list.entries, (std::vector<std::string>{"01.23", "18.08"}));
        QCOMPARE(list.prompt, std::string(shell::text::kVersionListPrompt));
        QCOMPARE(shell::selectionFromEntry(shell::VersionList, "01.23"), std::string("RQ-0123"));
        QCOMPARE(shell::selectionFromEntry(shell::HelpFileList, "RQ-0123.pdf"), std::string("RQ-0123.pdf"));
    }

    void emptyListsCloseWithTheirMessage()
    {
        World w;
        ScriptedHelpUi ui;
        std::string reader;
        HelpViewer viewer(ui, kestrel::shell().help, w.install, reader);
        kestrel::shell().help.selectionResult = "old";
        w.expect(std::string(shell::text::kNoHelpFile) + w.install + "/Help directory.", MsgIcon::None);
        QCOMPARE(viewer.selectFromList(shell::HelpFileList), std::string());
        w.expect(shell::text::kNoDatabase, MsgIcon::None);
        QCOMPARE(viewer.selectFromList(shell::VersionList), std::string());
        QVERIFY(ui.shownList.entries.empty());
        QVERIFY(kestrel::shell().help.selectionResult.empty());
    }

    void viewHelpStartsTheReaderWithTheChosenFile()
    {
        World w;
        w.root.write("install/Help/RHX,RQ 9000/RQ-1808.pdf", "%PDF");
        w.root.write("install/Help/RHX,RQ 9000/RQ-1812.pdf", "%PDF");
        ScriptedHelpUi ui;
        ui.listAnswer = "RQ-1812.pdf";
        std::string reader = "/usr/bin/evince";
        HelpViewer viewer(ui, kestrel::shell().help, w.install, reader);
        Launches launches;
        // A help file that is not there: the user chooses another one from the list.
        w.expect(std::string("RQ-0999.pdf") + shell::text::kHelpFileMissing, MsgIcon::None, MsgAnswer::Yes);
        QCOMPARE(viewer.viewHelp("RQ-0999.pdf"), 1);
        QCOMPARE(ui.shownList.entries, (std::vector<std::string>{"RQ-1808.pdf", "RQ-1812.pdf"}));
        QCOMPARE(ui.shownHint, std::string(shell::text::kSelectHelpFile));
        QCOMPARE(kestrel::shell().help.listMode, int(shell::HelpFileList));
        QCOMPARE(launches.seen.size(), size_t(1));
        QCOMPARE(launches.seen[0].kind, platform::LaunchKind::PdfReader);
        QCOMPARE(launches.seen[0].program, reader);
        QCOMPARE(launches.seen[0].arguments, (std::vector<std::string>{w.install + "/Help/RHX,RQ 9000/RQ-1812.pdf"}));
        // A file that is there goes straight to the reader.
        QCOMPARE(viewer.viewHelp("RQ-1808.pdf"), 1);
        QCOMPARE(launches.seen.back().arguments.back(), w.install + "/Help/RHX,RQ 9000/RQ-1808.pdf");
        // No to "another file": nothing starts.
        w.expect(std::string("RQ-0999.pdf") + shell::text::kHelpFileMissing, MsgIcon::None, MsgAnswer::No);
        QCOMPARE(viewer.viewHelp("RQ-0999.pdf"), 0);
        // Cancel in the list: nothing starts.
        ui.listAnswer.reset();
        QCOMPARE(viewer.viewHelp(""), 0);
        QCOMPARE(launches.seen.size(), size_t(2));
        // The reader does not start.
        launches.answer = 2;
        w.expect("Error 2 occured!", MsgIcon::None);
        QCOMPARE(viewer.viewHelp("RQ-1808.pdf"), -1);
    }

    void parameterCommandAsksForAReaderFirst()
    {
        World w;
        w.root.write("install/Help/RHX,RQ 9000/RQ-1808.pdf", "%PDF");
        ScriptedHelpUi ui;
        std::string reader;
        HelpViewer viewer(ui, kestrel::shell().help, w.install, reader);
        viewer.setSearch({{w.root.path() + "/nowhere"}, {"evince"}});
        Launches launches;
        kestrel::shell().help.selectionResult = "old";
        viewer.parameterHelp();  // Cancel in "Parameter Help"
        QCOMPARE(ui.readerAsked, 1);
        QVERIFY(reader.empty());
        QVERIFY(kestrel::shell().help.selectionResult.empty());
        QVERIFY(launches.seen.empty());
        ui.readerAnswer = executable(w, "reader");
        ui.listAnswer = "";
        viewer.parameterHelp();
        QCOMPARE(reader, *ui.readerAnswer);
        QCOMPARE(launches.seen.size(), size_t(1));
        QCOMPARE(launches.seen[0].program, reader);
        // Known now: no more questions.
        viewer.parameterHelp("RQ-1808.pdf");
        QCOMPARE(ui.readerAsked, 2);
        QCOMPARE(launches.seen.size(), size_t(2));
    }

    void aboutText()
    {
        QCOMPARE(shell::aboutText("Kestrel", false), std::string("Kestrel\nVersion 1.4.1.2"));
        QCOMPARE(shell::aboutText("Kestrel", true), std::string("Kestrel\nVersion 1.4.1.2  ( Aug 21 2006 )"));
        shell::CAboutDlg about(false);
        QCOMPARE(about.windowTitle(), QString::fromStdString("About " + getSoftwareName()));
    }
};

QTEST_MAIN(ShellHelpTest)
#include "ShellHelp_qtest.moc"
