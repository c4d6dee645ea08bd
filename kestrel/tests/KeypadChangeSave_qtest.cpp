// Saving an online list window whose drive reports keypad changes, through
// the real commands: the questions, the upload with its progress window,
// the file written with the drive's values.
#include "KestrelOnPty.h"

#include <kestrel/core/CWorkFile.h>
#include <kestrel/tests/FactoryDatabase.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ListMessages.h>
#include <kestrel/core/TvkRecord.h>
#include <kestrel/ui/CTransferDlg.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/KestrelOnline.h>
#include <kestrel/ui/ListWindows.h>
#include <platform/PseudoTerminal.h>
#include <shell/CMainFrame.h>
#include <sim/sio/SioBus.h>
#include <sim/sio/SioSimRunner.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

using namespace kestrel;
using platform::MsgAnswer;
using platform::MsgIcon;

namespace {

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The database an upload from a drive of this version in its factory state
// writes; sets the database file name.
void writeDatabase(int version)
{
    state().databaseFileName = "/tvk/RQ-" + std::to_string(version) + ".tvk";
    std::ofstream(state().installPath(state().databaseFileName), std::ios::binary)
        << kestrel::testing::factoryDatabase(version);
}

}  // namespace

class KeypadChangeSaveTest : public QObject, shelltest::KestrelOnPty {
    Q_OBJECT

private slots:
    void init()
    {
        std::string error;
        // A busy machine still answers within a reply wait of 10 ms.
        QVERIFY2(startLine("1:1808", 10, error), error.c_str());
        kestrel::shell().installDir = world->install;
        writeDatabase(1808);
    }

    void cleanup()
    {
        if (frame)
            for (QMdiSubWindow* s : frame->mdiArea()->subWindowList()) delete s;
        stopLine();
    }

    // Several keypad changes: the two questions, then the upload runs at
    // once with its progress window (no third question), and the list is
    // saved under the chosen name with the drive's values.
    void severalChangesUploadAfterTwoQuestions()
    {
        state().currentAddress = "1";
        const std::string work = MakeWorkingFile(state().installPath(state().databaseFileName));
        QVERIFY(!work.empty());
        QVERIFY(KestrelOnline::of(*frame) != nullptr);
        CTervikView* view = showOnlineList(work);
        QVERIFY(view != nullptr);
        bus->withDrive(1, [](sim::SioDrive& d) { d.setValue(0x0031, 0x0009); });
        bus->keypadChange(1, 0x0031, 0x0009);
        bus->keypadChange(1, 0x0032, 0x0001);
        const std::string path = world->install + "/parameter/drive1.par";
        shelltest::FileAnswers files;
        files.answer(path);
        world->expect(msg::severalChanged("1").text, MsgIcon::None, MsgAnswer::Yes);
        world->expect(msg::kUploadQuestion.text, MsgIcon::Question, MsgAnswer::Yes);
        world->expect(msg::saved(view->document().listTitle(), " -->  ", path).text, MsgIcon::None);
        bool progressShown = false;
        world->modals.expect<CTransferDlg>([&](CTransferDlg* dlg) {
            progressShown = true;
            if (const char* dir = std::getenv("AVIARY_TEST_SHOTS"))
                dlg->grab().save(QString(dir) + "/transfer-dialog.png");
            QVERIFY(dlg->width() <= 1024 && dlg->height() <= 768);
        });
        frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
        frame->execute(kestrel::cmd::FileSave);
        QVERIFY(progressShown);
        QVERIFY(world->messages->pending() == 0);
        QCOMPARE(CWorkFile(view->document().workPath()).findValue(0x0031), std::optional<uint16_t>(9));
        QVERIFY(readBytes(path).find("00310009\r\n") != std::string::npos);
        QVERIFY(!state().operationInProgress);
    }
};

QTEST_MAIN(KeypadChangeSaveTest)
#include "KeypadChangeSave_qtest.moc"
