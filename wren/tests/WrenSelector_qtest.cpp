// Wren: hover frames, picture clicks and buttons, Cancel, and the message of
// a failed start.
#include <wren/ui/CWrenDlg.h>
#include <wren/ui/FamilyStarter.h>

#include <platform/ProcessLauncher.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/qt/QtFailure.h>
#include <platform/testing/TempDir.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <platform/testing/qt/ModalAnswerer.h>

using wren::CWrenDlg;
using platform::testing::qtFailure;

namespace {

struct Launches {
    std::vector<platform::LaunchRequest> seen;
    platform::LaunchHandler previous;
    Launches()
    {
        previous = platform::setLaunchHandler([this](const platform::LaunchRequest& r) {
            seen.push_back(r);
            return platform::kLaunchOk;
        });
    }
    ~Launches() { platform::setLaunchHandler(previous); }
};

QPoint centreOf(CWrenDlg& d, int id) { return d.control(id)->geometry().center(); }

// Wren's whole run: the dialog, then the start of the chosen program.
// `user` acts on the dialog once it is up.
void runWren(const std::string& dir, const std::function<void(CWrenDlg&)>& user)
{
    CWrenDlg dialog;
    platform::testing::ModalAnswerer modals;
    modals.expect<CWrenDlg>([&](CWrenDlg*) { user(dialog); });
    if (dialog.exec() == QDialog::Accepted) wren::startFamily(dir, dialog.choice());
}

void clickAt(CWrenDlg& d, QPoint at)
{
    QTest::mouseMove(&d, at);
    QTest::mouseClick(&d, Qt::LeftButton, {}, at);
}

}  // namespace

class WrenSelectorTest : public QObject {
    Q_OBJECT
private slots:
    void hoverFramesFollowThePointer()
    {
        CWrenDlg d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QWidget* leftFrame = d.control(CWrenDlg::LeftFrame);
        QWidget* rightFrame = d.control(CWrenDlg::RightFrame);
        QVERIFY(leftFrame->isHidden() && rightFrame->isHidden());
        QTest::mouseMove(&d, centreOf(d, CWrenDlg::LeftPicture));
        QVERIFY(leftFrame->isVisible() && rightFrame->isHidden());
        QCOMPARE(d.choice(), int(wren::RhxFamily));
        QTest::mouseMove(&d, centreOf(d, CWrenDlg::RightPicture));
        QVERIFY(leftFrame->isHidden() && rightFrame->isVisible());
        QCOMPARE(d.choice(), int(wren::Lm3Family));
        QTest::mouseMove(&d, QPoint(2, d.height() - 2));
        QVERIFY(leftFrame->isHidden() && rightFrame->isHidden());
        QCOMPARE(d.choice(), int(wren::NoFamily));
        // The frames lie around their pictures.
        QVERIFY(leftFrame->geometry().contains(d.control(CWrenDlg::LeftPicture)->geometry()));
        QVERIFY(rightFrame->geometry().contains(d.control(CWrenDlg::RightPicture)->geometry()));
    }

    void pictureClickStartsLikeTheButton_data()
    {
        QTest::addColumn<int>("picture");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("program");
        QTest::newRow("RHX/RQ9000") << int(CWrenDlg::LeftPicture) << int(CWrenDlg::RhxButton) << "kestrel";
        QTest::newRow("LM3") << int(CWrenDlg::RightPicture) << int(CWrenDlg::Lm3Button) << "merlin";
    }
    void pictureClickStartsLikeTheButton()
    {
        QFETCH(int, picture);
        QFETCH(int, button);
        QFETCH(QString, program);
        platform::testing::ScriptedResponder messages(qtFailure());
        const std::string dir = "/opt/aviary suite/bin";
        Launches byPicture;
        runWren(dir, [picture](CWrenDlg& d) { clickAt(d, centreOf(d, picture)); });
        QCOMPARE(byPicture.seen.size(), size_t(1));
        QCOMPARE(byPicture.seen[0].program, dir + "/" + program.toStdString());
        QVERIFY(byPicture.seen[0].arguments.empty());
        Launches byButton;
        runWren(dir, [button](CWrenDlg& d) { qobject_cast<QAbstractButton*>(d.control(button))->click(); });
        QCOMPARE(byButton.seen.size(), size_t(1));
        QCOMPARE(byButton.seen[0].program, byPicture.seen[0].program);
        QCOMPARE(byButton.seen[0].arguments, byPicture.seen[0].arguments);
        QCOMPARE(byButton.seen[0].kind, byPicture.seen[0].kind);
    }

    void backgroundClickDoesNothing()
    {
        Launches launches;
        CWrenDlg d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        clickAt(d, QPoint(2, d.height() - 2));
        clickAt(d, QPoint(d.width() / 2, centreOf(d, CWrenDlg::LeftPicture).y()));  // between the pictures
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), 0);
        QVERIFY(launches.seen.empty());
    }

    void cancelStartsNothing()
    {
        Launches launches;
        runWren("/opt/aviary", [](CWrenDlg& d) {
            QTest::mouseMove(&d, centreOf(d, CWrenDlg::LeftPicture));  // a choice on the way does not count
            qobject_cast<QAbstractButton*>(d.control(CWrenDlg::CancelButton))->click();
        });
        QVERIFY(launches.seen.empty());
    }

    void missingProgramIsReported()
    {
        platform::testing::TempDir dir;  // holds no merlin
        platform::testing::ScriptedResponder messages(qtFailure());
        messages.expect("Error executing 'merlin'   \nThe specified file was not found !    ", platform::MsgIcon::Stop);
        runWren(dir.path(), [](CWrenDlg& d) { qobject_cast<QAbstractButton*>(d.control(CWrenDlg::Lm3Button))->click(); });
        QCOMPARE(messages.shown().size(), size_t(1));
        QCOMPARE(messages.shown()[0].caption, std::string(wren::kCaption));
    }

    void reasonTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("0") << 0 << "Error executing 'kestrel'   \nOut of Memory !    ";
        QTest::newRow("3") << 3 << "Error executing 'kestrel'   \nThe specified path was not found !    ";
        QTest::newRow("11") << 11 << "Error executing 'kestrel'   \nBad EXE-Format !    ";
        QTest::newRow("5") << 5 << "Error executing 'kestrel'   \n !    ";
    }
    void reasonTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(QString::fromStdString(wren::failureMessage("kestrel", code)), message);
    }

    void programDirectoryIsCutAtTheLastSeparator()
    {
        QCOMPARE(wren::programDirectory("/opt/aviary/bin/wren"), std::string("/opt/aviary/bin"));
        QCOMPARE(wren::programDirectory("wren"), std::string("."));
    }

    void aboutBox()
    {
        CWrenDlg d;
        platform::testing::ModalAnswerer modals;
        modals.expectNamed("wrenAboutDialog", [](QWidget* about) {
            QCOMPARE(about->findChild<QLabel*>("aboutText")->text(), QString("Aviary Startup  V1.0"));
            qobject_cast<QDialog*>(about)->accept();
        });
        d.showAbout();
    }
};

QTEST_MAIN(WrenSelectorTest)
#include "WrenSelector_qtest.moc"
