// The parameter list window as a user drives it: File, Open Parameter List,
// a value changed in the edit box over the VALUE cell, Save As, closing
// with each answer to the save question, and the refusals that must leave
// no window and no changed file behind.
#include "ListFixture.h"
#include "ShellQtTest.h"

#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/CWarmUpDlg.h>
#include <kestrel/ui/ListWindows.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <platform/FileDialog.h>
#include <platform/ProcessLauncher.h>
#include <shell/CMSHFlexGrid.h>
#include <shell/CMainFrame.h>

#include <QApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMap>
#include <QMimeData>
#include <QUrl>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>

#include <cstdlib>
#include <deque>
#include <map>
#include <filesystem>
#include <fstream>

using namespace shelltest;
using namespace kestrel::testing;
namespace cmd = kestrel::cmd;

namespace {

const char* kSaveQuestion = "Value of some parameter(s) were changed.\nWould you like them to be saved to the file ?";

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A frame of the Kestrel program over an install directory with the
// database of version 12.34 and the parameter file motor.par.
struct ListWorld : World {
    Install files;
    std::unique_ptr<shell::CMainFrame> frame;
    FileAnswers dialogs;
    std::string par;

    ListWorld()
    {
        files.writeDatabase("1234", catalogue1234());
        par = files.write("parameter/motor.par", listFileBytes("12.34", fullWorkBytes(catalogue1234())));
        kestrel::shell().installDir = files.path();
        kestrel::state().installDir = files.path();
        frame = std::make_unique<shell::CMainFrame>(kestrel::shell(), kestrel::kestrelProgram());
        if (!frame->create()) QTest::qFail("frame not created", __FILE__, __LINE__);
        frame->show();
    }
    ~ListWorld()
    {
        // Windows left open go without their questions.
        for (QMdiSubWindow* s : frame->mdiArea()->subWindowList()) delete s;
    }

    QList<kestrel::CTervikView*> lists() const { return frame->findChildren<kestrel::CTervikView*>(); }
    kestrel::CTervikView* open(const std::string& path, int command = cmd::FileOpen)
    {
        dialogs.answer(path);
        const auto before = lists().size();
        frame->execute(command);
        return lists().size() > before ? lists().back() : nullptr;
    }
    bool close(kestrel::CTervikView* view)
    {
        frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
        frame->execute(cmd::FileClose);
        QCoreApplication::processEvents();
        return !lists().contains(view);
    }
};

void showTab(kestrel::CTervikView* view, const QString& tab)
{
    auto* tabs = view->findChild<QTabBar*>("groupTabs");
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == tab) {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
            return;
        }
    QTest::qFail(("no tab " + tab).toUtf8().constData(), __FILE__, __LINE__);
}

int gridRowOf(kestrel::CTervikView* view, const QString& no)
{
    for (int r = 1; r < view->grid()->rows(); ++r)
        if (view->grid()->textMatrix(r, 0) == no) return r;
    return -1;
}

// A user's click on a cell of the grid.
void clickCell(kestrel::CTervikView* view, int row, int col)
{
    shell::CMSHFlexGrid* grid = view->grid();
    const QRect r = grid->visualRect(grid->model()->index(row, col));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

// Opens the edit box of a parameter and types a new value, then Update.
void enterValue(kestrel::CTervikView* view, const QString& no, const QString& text)
{
    const int row = gridRowOf(view, no);
    QVERIFY(row > 0);
    clickCell(view, row, 2);
    auto* edit = view->findChild<QLineEdit*>("decimalEdit");
    QTRY_VERIFY(edit->isVisible());
    edit->selectAll();
    QTest::keyClicks(edit, text);
    auto* update = view->findChild<QPushButton*>("update");
    QVERIFY(update->isEnabled());
    QTest::mouseClick(update, Qt::LeftButton);
}

// A drive behind an online list: answers reads from a table, records writes.
class FakeDrive : public kestrel::ParameterLink {
public:
    std::map<std::string, Reply> values;
    std::vector<std::string> writes;
    std::optional<Reply> read(std::string_view number) override
    {
        const auto it = values.find(std::string(number));
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    std::vector<bool> waitCursorAtWrite;
    bool write(std::string_view text) override
    {
        writes.emplace_back(text);
        const QCursor* c = QApplication::overrideCursor();
        waitCursorAtWrite.push_back(c != nullptr && c->shape() == Qt::WaitCursor);
        values[std::string(text.substr(0, 4))] = {std::string(text.substr(0, 4)), std::string(text.substr(4))};
        return true;
    }
};

}  // namespace

class ListWindowTest : public QObject {
    Q_OBJECT
private slots:
    void openEditSaveAsAndReopen()
    {
        ListWorld w;
        kestrel::CTervikView* view = w.open(w.par);
        QVERIFY(view);
        QCOMPARE(view->windowTitle(), QString::fromStdString("LIST  A -- " + w.par));
        QCOMPARE(view->findChild<QLabel*>("version")->text(), "A12.34");
        QCOMPARE(view->findChild<QLabel*>("status")->text(), "No device connected !");
        QCOMPARE(w.frame->menuText(cmd::FileClose), "Close");
        QVERIFY(w.frame->action(cmd::FileCompareWith)->isEnabled());
        QVERIFY(!w.frame->action(cmd::FileConvertTo)->isEnabled());
        QCOMPARE(w.dialogs.requests.at(0).directory, w.files.file("parameter"));

        showTab(view, "Gr 1");
        QCOMPARE(view->findChild<QLabel*>("groupTitle")->text().trimmed(), "Basic settings");
        enterValue(view, "13", "12.5");
        const int row = gridRowOf(view, "13");
        QCOMPARE(view->grid()->textMatrix(row, 2), "12.50");
        QVERIFY(!view->findChild<QLineEdit*>("decimalEdit")->isVisible());
        if (const char* dir = std::getenv("AVIARY_SCREENSHOT_DIR")) view->grab().save(QString(dir) + "/list-window.png");

        const std::string copy = w.files.file("parameter/copy.par");
        w.dialogs.answer(copy);
        w.expect("LIST  A -->  " + copy, MsgIcon::None);
        w.frame->execute(cmd::FileSaveAs);
        QCOMPARE(view->windowTitle(), QString::fromStdString("LIST  A -- " + copy));
        QCOMPARE(w.frame->windowTitle(), QString::fromStdString(getCompanyName() + " - LIST  A -- " + copy));
        QCOMPARE(w.frame->context().recentFiles.front(), copy);
        QVERIFY(std::filesystem::exists(w.files.file("parameter/copy.~pa")));
        QVERIFY(!std::filesystem::exists(w.files.file("parameter/motor.~pa")));
        QVERIFY(w.close(view));
        QVERIFY(!std::filesystem::exists(w.files.file("parameter/copy.~pa")));
        // The original file kept its value.
        QCOMPARE(readFile(w.par), listFileBytes("12.34", fullWorkBytes(catalogue1234())));

        kestrel::CTervikView* again = w.open(copy);
        QVERIFY(again);
        QCOMPARE(again->windowTitle(), QString::fromStdString("LIST  B -- " + copy));
        showTab(again, "Gr 1");
        QCOMPARE(again->grid()->textMatrix(gridRowOf(again, "13"), 2), "12.50");
        QVERIFY(w.dialogs.used());
    }

    void helpParameterOpensTheHelpOfTheListsVersion()
    {
        ListWorld w;
        w.files.write("Help/RHX,RQ 9000/RQ-1234.pdf", "%PDF");
        w.frame->context().settings.readerPath = "/bin/sh";  // any executable stands for the reader
        std::vector<platform::LaunchRequest> launched;
        const auto previous = platform::setLaunchHandler([&launched](const platform::LaunchRequest& r) {
            launched.push_back(r);
            return platform::kLaunchOk;
        });
        QVERIFY(w.open(w.par));
        w.frame->execute(cmd::HelpParameter);
        platform::setLaunchHandler(previous);
        QCOMPARE(launched.size(), size_t(1));
        QCOMPARE(launched[0].arguments.back(), w.files.file("Help/RHX,RQ 9000/RQ-1234.pdf"));
    }

    void anOnlineWriteThatRestartsTheDriveShowsTheWarmUpNotice()
    {
        ListWorld w;
        FakeDrive drive;
        drive.values["002D"] = {"002D", "0000"};
        drive.values["00AC"] = {"00AC", "0000"};
        kestrel::CTervikView* view = kestrel::showListWindow(
            *w.frame, kestrel::ListOpening{kestrel::ListKind::Online, "",
                                           w.files.write("parameter/List-3.~pa", fullWorkBytes(catalogue1234())),
                                           "/tvk/RQ-1234.tvk", "3", "Pump"});
        view->document().setOnlineSide(kestrel::OnlineSide{&drive, nullptr, {}, {}, {}});
        QCOMPARE(w.frame->menuText(cmd::FileClose), "Close Parameter List");
        QVERIFY(w.frame->action(cmd::FaultHistory)->isEnabled());
        showTab(view, "Gr 2");
        kestrel::CWarmUpDlg::setTickMs(20);
        QStringList texts;
        bool closedItself = false;
        w.modals.expectNamed("warmUpNotice", [&](QWidget* dlg) {
            for (QLabel* l : dlg->findChildren<QLabel*>()) texts << l->text();
            if (const char* dir = std::getenv("AVIARY_TEST_SHOTS")) dlg->grab().save(QString(dir) + "/warm-up.png");
            QObject::connect(qobject_cast<QDialog*>(dlg), &QDialog::finished, [&] { closedItself = true; });
        });
        const int row = gridRowOf(view, "2D");
        clickCell(view, row, 2);
        auto* edit = view->findChild<QLineEdit*>("decimalEdit");
        QTRY_VERIFY(edit->isVisible());
        edit->selectAll();
        QTest::keyClicks(edit, "1");
        QTest::mouseClick(view->findChild<QPushButton*>("update"), Qt::LeftButton);
        kestrel::CWarmUpDlg::setTickMs(1000);
        QVERIFY(closedItself);
        QCOMPARE(texts, (QStringList{"Inverter warming up !", "  Please Wait..."}));
        QCOMPARE(drive.writes, (std::vector<std::string>{"002D0001"}));
        QCOMPARE(drive.waitCursorAtWrite, (std::vector<bool>{true}));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(view->grid()->textMatrix(row, 2), "1");
        QVERIFY(view->document().modified());
    }

    void listFilesNamedOnTheCommandLineOrDroppedOpen()
    {
        ListWorld w;
        kestrel::openListArguments(*w.frame, {"/options", QString::fromStdString(w.files.file("parameter/notes.txt")),
                                              QString::fromStdString(w.par)});
        QCOMPARE(w.lists().size(), 1);
        QCOMPARE(w.lists()[0]->document().filePath(), w.par);

        const std::string other = w.files.write("parameter/other.par", readFile(w.par));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(other)), QUrl::fromLocalFile("/tmp/picture.png")});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w.frame.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w.frame.get(), &drop);
        QCOMPARE(w.lists().size(), 2);
        QCOMPARE(w.lists().back()->document().filePath(), other);
        QVERIFY(w.dialogs.used());
    }

    void closingWithUnsavedChanges_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("yes") << int(MsgAnswer::Yes) << true << true;
        QTest::newRow("no") << int(MsgAnswer::No) << true << false;
        QTest::newRow("cancel") << int(MsgAnswer::Cancel) << false << false;
    }
    void closingWithUnsavedChanges()
    {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        ListWorld w;
        const std::string before = readFile(w.par);
        kestrel::CTervikView* view = w.open(w.par);
        QVERIFY(view);
        showTab(view, "Gr 1");
        enterValue(view, "13", "20");
        w.expect(kSaveQuestion, MsgIcon::Question, MsgAnswer(answer));
        if (saved) w.expect("LIST  A  -->  " + w.par, MsgIcon::None);
        QCOMPARE(w.close(view), closes);
        QCOMPARE(readFile(w.par) != before, saved);
        QCOMPARE(std::filesystem::exists(w.files.file("parameter/motor.~pa")), !closes);
        if (saved) QCOMPARE(readFile(w.par).substr(44 + 5 * 10, 10), std::string("001307D0\r\n"));
    }

    void refusedFilesLeaveNoWindowAndNoFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("message");
        const std::string good = listFileBytes("12.34", fullWorkBytes(catalogue1234()));
        std::string cut = good;
        cut.erase(44 + 3 * 10, 10);  // a record missing in the middle
        QTest::newRow("corrupt par") << "parameter/bad.par" << QByteArray::fromStdString(cut) << cmd::FileOpen
                                     << "This parameter file is corrupted !";
        QTest::newRow("corrupt ctm") << "custom/bad.ctm"
                                     << QByteArray::fromStdString(listFileBytes("12.34", "0013XXXX\r\n00E404D2\r\n"))
                                     << cmd::ProgramList << "This custom parameter file is corrupted !";
        QTest::newRow("not a par") << "parameter/notes.txt" << QByteArray("text") << cmd::FileOpen
                                   << "Invalid file !";
    }
    void refusedFilesLeaveNoWindowAndNoFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, command);
        QFETCH(QString, message);
        ListWorld w;
        const std::string path = w.files.write(name.toStdString(), bytes.toStdString());
        const auto filesBefore = std::distance(std::filesystem::recursive_directory_iterator(w.files.path()),
                                               std::filesystem::recursive_directory_iterator());
        w.expect(message.toStdString(), message == "Invalid file !" || message.contains("corrupted")
                                            ? MsgIcon::Stop : MsgIcon::Information);
        QVERIFY(!w.open(path, command));
        QVERIFY(w.frame->mdiArea()->subWindowList().isEmpty());
        QCOMPARE(readFile(path), bytes.toStdString());
        QCOMPARE(std::distance(std::filesystem::recursive_directory_iterator(w.files.path()),
                               std::filesystem::recursive_directory_iterator()),
                 filesBefore);
    }

    // A version with 24 groups on a 1024 x 768 screen: the window opens
    // within the screen (its tabs scroll), "Update" stays beside the Set
    // Value fields, and maximised the one-line fields keep their height.
    void aListOfManyGroupsFitsTheScreen()
    {
        ListWorld w;
        std::vector<kestrel::TvkFields> many;
        for (std::uint16_t g = 0; g < 24; ++g) {
            many.push_back(header(static_cast<std::uint16_t>(16 * g), "Group " + std::to_string(g)));
            many.push_back(paramFields(static_cast<std::uint16_t>(16 * g + 1), "Value " + std::to_string(g), 0, 0, 0, 100));
        }
        w.files.writeDatabase("1240", many);
        const std::string par = w.files.write("parameter/many.par", listFileBytes("12.40", fullWorkBytes(many)));
        w.frame->resize(1024, 768);
        kestrel::CTervikView* view = w.open(par);
        QVERIFY(view);
        auto* tabs = view->findChild<QTabBar*>("groupTabs");
        QCOMPARE(tabs->count(), 24);
        QWidget* sub = view->parentWidget();
        QVERIFY2(sub->width() <= 1024, qPrintable(QString::number(sub->width())));
        auto* update = view->findChild<QPushButton*>("update");
        auto* prompt = view->findChild<QLabel*>("prompt");
        const auto gapToPrompt = [&] {
            return update->mapTo(view, QPoint(0, 0)).x() - prompt->mapTo(view, QPoint(prompt->width(), 0)).x();
        };
        QVERIFY(update->mapTo(view, QPoint(update->width(), 0)).x() <= view->width());
        QVERIFY2(gapToPrompt() < 40, qPrintable(QString::number(gapToPrompt())));
        const QStringList fields{"version", "parameterSet", "status", "maximum", "minimum"};
        QMap<QString, int> heights;
        for (const QString& f : fields) heights[f] = view->findChild<QLabel*>(f)->height();
        sub->showMaximized();
        QTRY_VERIFY(sub->width() > 900);
        QVERIFY2(gapToPrompt() < 40, qPrintable(QString::number(gapToPrompt())));
        for (const QString& f : fields)
            QVERIFY2(view->findChild<QLabel*>(f)->height() == heights[f], qPrintable(f));
        if (const char* dir = std::getenv("AVIARY_TEST_SHOTS")) w.frame->grab().save(QString(dir) + "/list-maximised.png");
        sub->showNormal();
        if (const char* dir = std::getenv("AVIARY_TEST_SHOTS")) w.frame->grab().save(QString(dir) + "/list-window.png");
        // The last group is reached by the keys through the scrolling bar.
        tabs->setCurrentIndex(23);
        QCOMPARE(view->grid()->textMatrix(1, 0), QString("171"));
    }

    void aFileOpenInAWindowIsNotOpenedTwiceNorSavedOver()
    {
        ListWorld w;
        kestrel::CTervikView* first = w.open(w.par);
        QVERIFY(first);
        w.expect("You are already connected to this file !", MsgIcon::Information);
        QVERIFY(!w.open(w.par));
        QCOMPARE(w.lists().size(), 1);

        // Another list cannot be saved over the open one.
        const std::string other = w.files.write("parameter/other.par", readFile(w.par));
        kestrel::CTervikView* second = w.open(other);
        QVERIFY(second);
        const std::string before = readFile(w.par);
        w.dialogs.answer(w.par);
        w.expect("You are already connected to this file !", MsgIcon::Information);
        w.frame->execute(cmd::FileSaveAs);
        QCOMPARE(readFile(w.par), before);

        // A folder that cannot take the file: the message, nothing changed.
        const std::string nowhere = w.files.file("parameter/missing/x.par");
        w.dialogs.answer(nowhere);
        w.expect("The file could not be written :\n" + nowhere, MsgIcon::Stop);
        w.frame->execute(cmd::FileSaveAs);
        QCOMPARE(second->windowTitle(), QString::fromStdString("LIST  B -- " + other));
        QVERIFY(std::filesystem::exists(w.files.file("parameter/other.~pa")));

        QVERIFY(w.close(first));
        QVERIFY2(w.open(w.par), "opens again once its window is closed");
    }
};

QTEST_MAIN(ListWindowTest)
#include "ListWindow_qtest.moc"
