// The custom list editor, print, compare and conversion windows, driven as a
// user drives them: through the menu commands and the dialogs' own buttons,
// checking what ends up in the files and in the windows.
#include "ListFixture.h"
#include "ShellQtTest.h"

#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/ListOpener.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/ListWindows.h>
#include <platform/FileDialog.h>
#include <platform/ProcessLauncher.h>
#include <shell/CMSHFlexGrid.h>
#include <shell/CMainFrame.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace shelltest;
using namespace kestrel::testing;
using shell::CMSHFlexGrid;
namespace cmd = kestrel::cmd;

namespace {

const char* kDefaultParameter = "This is a default custom parameter. It cannot be deleted from the list.";
const char* kProvideName = "In the next step, you should provide a file name.";

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Records the starts of the text viewer instead of starting it.
class Viewer {
public:
    explicit Viewer(int result = platform::kLaunchOk)
    {
        previous_ = platform::setLaunchHandler([this, result](const platform::LaunchRequest& r) {
            shown.push_back(r.arguments.empty() ? r.program : r.arguments.back());
            return result;
        });
    }
    ~Viewer() { platform::setLaunchHandler(previous_); }
    std::vector<std::string> shown;

private:
    platform::LaunchHandler previous_;
};

// Version 12.40: 0013 with other limits, 002D dropped, 0051 new, its own
// software version value.
std::vector<kestrel::TvkFields> catalogue1240()
{
    std::vector<kestrel::TvkFields> out;
    for (auto f : catalogue1234()) {
        if (f.number == 0x002D) continue;
        if (f.number == 0x0013) f.maximum = 20000;
        if (f.number == 0x00E4) f.value = 0x04D8;
        out.push_back(f);
        if (f.number == 0x0050) out.push_back(paramFields(0x0051, "Boost", 0x4000, 1, 0, 250, 20, 20));
    }
    return out;
}

struct Fixture {
    World world;
    FileAnswers files;
    Viewer viewer;
    std::unique_ptr<shell::CMainFrame> frame;

    explicit Fixture(int viewerResult = platform::kLaunchOk) : viewer(viewerResult)
    {
        world.root.write("install/tvk/RQ-1234.tvk", databaseBytes(catalogue1234()));
        world.root.write("install/parameter/.keep", "");
        world.root.write("install/custom/.keep", "");
        kestrel::shell().installDir = world.install;
        kestrel::state().installDir = world.install;
        frame = std::make_unique<shell::CMainFrame>(kestrel::shell(), kestrel::kestrelProgram());
        if (!frame->create()) QTest::qFail("frame not created", __FILE__, __LINE__);
        frame->show();
    }
    std::string path(const std::string& relative) const { return world.install + "/" + relative; }
    std::string write(const std::string& relative, const std::string& bytes) const
    {
        return world.root.write("install/" + relative, bytes);
    }
    // File, Open Parameter List: the file in its list window, the active one.
    const kestrel::CTervikDoc& open(const std::string& file)
    {
        files.answer(file);
        frame->execute(cmd::FileOpen);
        const kestrel::CTervikView* view = kestrel::activeListView(*frame);
        if (view == nullptr) QTest::qFail("list did not open", __FILE__, __LINE__);
        return view->document();
    }
    int windows() const { return static_cast<int>(frame->mdiArea()->subWindowList().size()); }
};

// Picks the version in the "Software Versions" dialog and presses OK.
void chooseVersionWhenAsked(World& world, const QString& version)
{
    world.modals.expectNamed("selectListDialog", [version](QWidget* w) {
        auto* list = w->findChild<QComboBox*>("list");
        list->setCurrentIndex(list->findText(version));
        w->findChild<QPushButton*>("okButton")->click();
    });
}

// Clicks a grid row the way the user does (row 1 is the first below the header).
void clickRow(CMSHFlexGrid* grid, int row)
{
    QTableWidgetItem* item = grid->item(row, 1);
    grid->scrollToItem(item);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(item).center());
}

int rowOf(CMSHFlexGrid* grid, const QString& no)
{
    for (int r = 1; r < grid->rows(); ++r)
        if (grid->textMatrix(r, 0) == no) return r;
    return -1;
}

QStringList column(CMSHFlexGrid* grid, int col)
{
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r) out << grid->textMatrix(r, col);
    return out;
}

// With AVIARY_TEST_SHOTS naming a directory, the windows are saved as
// pictures there, to look at them as a user sees them.
void snapshot(QWidget* w, const char* name)
{
    if (const char* dir = std::getenv("AVIARY_TEST_SHOTS")) w->grab().save(QString("%1/%2.png").arg(dir, name));
}

void trigger(QWidget* dialog, const char* action) { dialog->findChild<QAction*>(action)->trigger(); }

// Closes the dialog if a failed check left it open, so the test ends.
struct CloseAtEnd {
    QWidget* dialog;
    ~CloseAtEnd()
    {
        if (dialog->isVisible()) static_cast<QDialog*>(dialog)->done(QDialog::Rejected);
    }
};

std::vector<std::string> recordsOf(const std::string& bytes)
{
    std::vector<std::string> out;
    for (size_t at = 44; at + 10 <= bytes.size() && bytes.compare(at, 3, "END") != 0; at += 10)
        out.push_back(bytes.substr(at, 8));
    return out;
}

}  // namespace

class ListFilesTest : public QObject {
    Q_OBJECT
private slots:
    void createSaveModifyAndPrintACustomList()
    {
        Fixture f;
        const std::string list = f.path("custom/pump.ctm");
        f.files.answer(list);
        chooseVersionWhenAsked(f.world, "12.34");
        bool shown = false;
        f.world.modals.expectNamed("customListDialog", [&](QWidget* w) {
            CloseAtEnd guard{w};
            shown = true;
            QCOMPARE(w->windowTitle(), QString("Custom List"));
            QCOMPARE(w->findChild<QLabel*>("versionLabel")->text(), QString("SOFTWARE VERSION :- A12.34"));
            auto* standard = w->findChild<CMSHFlexGrid*>("standardGrid");
            auto* custom = w->findChild<CMSHFlexGrid*>("customGrid");
            auto* add = w->findChild<QPushButton*>("addButton");
            QCOMPARE(column(custom, 0), (QStringList{"002C", "00E4", "00E9"}));
            QVERIFY(rowOf(standard, "0088") < 0);  // service parameters are not offered
            for (const char* no : {"00A9", "0013", "0021"}) {
                clickRow(standard, rowOf(standard, no));
                add->click();
                // The added row is selected where the sort put it.
                QCOMPARE(custom->textMatrix(custom->row(), 0), QString(no));
                QCOMPARE(custom->cellBackColor(), QColor(255, 255, 128));
            }
            QCOMPARE(column(custom, 0), (QStringList{"0013", "0021", "002C", "00A9", "00E4", "00E9"}));
            QCOMPARE(custom->textMatrix(1, 2), QString("10.00"));
            // Adding a parameter twice is refused.
            f.world.expect("Parameter duplication not allowed", MsgIcon::Stop);
            clickRow(standard, rowOf(standard, "0013"));
            add->click();
            QCOMPARE(custom->rows(), 7);
            trigger(w, "saveAction");
            snapshot(w, "custom-list");
            QCOMPARE(w->windowTitle(), QString::fromStdString("Custom List -- " + list));
            trigger(w, "printAction");
            trigger(w, "closeAction");
            QVERIFY(!w->isVisible());
        });
        f.frame->execute(cmd::CreateList);
        QVERIFY(shown);
        QVERIFY(f.files.used());
        // Defaults for new entries, the software version's own value for 00E4.
        const std::vector<std::string> created{"001303E8", "00211D4C", "002C0001",
                                               "00A90001", "00E404D2", "00E90001"};
        QCOMPARE(recordsOf(bytesOf(list)), created);
        QCOMPARE(bytesOf(list).substr(31, 11), std::string("INV: A12.34"));

        // The print file lies beside the list and went to the text viewer.
        const std::string printed = f.path("custom/pump.txt");
        QCOMPARE(f.viewer.shown, std::vector<std::string>{printed});
        const std::string text = bytesOf(printed);
        QVERIFY(text.find(" \tFileName                   \t" + list + "\r\n") != std::string::npos);
        QVERIFY(text.find("0013 \t Accel time        \t     10.00  sec     \r\n") != std::string::npos);

        // Modify: a value stored meanwhile stays; a dropped row goes, an added one gets its default.
        std::string stored = bytesOf(list);
        stored.replace(44 + 4, 4, "0777");  // 0013
        f.write("custom/pump.ctm", stored);
        f.files.answer(list);
        f.world.modals.expectNamed("customListDialog", [&](QWidget* w) {
            CloseAtEnd guard{w};
            auto* standard = w->findChild<CMSHFlexGrid*>("standardGrid");
            auto* custom = w->findChild<CMSHFlexGrid*>("customGrid");
            auto* remove = w->findChild<QPushButton*>("deleteButton");
            QCOMPARE(custom->textMatrix(1, 2), QString("19.11"));  // 0x0777 with 2 decimals
            QVERIFY(!remove->isEnabled());
            clickRow(custom, rowOf(custom, "00E9"));
            QVERIFY(remove->isEnabled());
            f.world.expect(kDefaultParameter, MsgIcon::Stop);
            remove->click();
            clickRow(custom, rowOf(custom, "002C"));
            remove->click();
            QVERIFY(!remove->isEnabled());
            clickRow(standard, rowOf(standard, "0011"));
            w->findChild<QPushButton*>("addButton")->click();
            // Closing a modified list asks; Yes saves it.
            f.world.expect("This custom list has been modified. Want to save ?", MsgIcon::Question, MsgAnswer::Yes);
            w->close();
            QVERIFY(!w->isVisible());
        });
        f.frame->execute(cmd::ModifyList);
        const std::vector<std::string> modified{"001101F4", "00130777", "00211D4C",
                                                "00A90001", "00E404D2", "00E90001"};
        QCOMPARE(recordsOf(bytesOf(list)), modified);
    }

    void badInputIsRefusedAndNothingIsLost()
    {
        Fixture f;
        // A damaged custom list never reaches the editor.
        std::string damaged = listFileBytes("12.34", workBytes({{0x0013, 1}, {0x00E4, 0x04D2}, {0x00E9, 1}}));
        damaged[44 + 8] = 'x';  // the first record without its CR LF
        const std::string corrupt = f.write("custom/damaged.ctm", damaged);
        f.files.answer(corrupt);
        f.world.expect("This custom parameter file is corrupted !", MsgIcon::Stop);
        f.frame->execute(cmd::ModifyList);
        QCOMPARE(bytesOf(corrupt), damaged);

        // A list that cannot be written says so, stays modified and open.
        const std::string unwritable = f.path("custom/no-such-dir/pump.ctm");
        f.files.answer(unwritable);
        chooseVersionWhenAsked(f.world, "12.34");
        f.world.modals.expectNamed("customListDialog", [&](QWidget* w) {
            CloseAtEnd guard{w};
            auto* standard = w->findChild<CMSHFlexGrid*>("standardGrid");
            clickRow(standard, rowOf(standard, "0013"));
            w->findChild<QPushButton*>("addButton")->click();
            f.world.expect("The file could not be written :\n" + unwritable, MsgIcon::Stop);
            trigger(w, "saveAsAction");
            // Closing asks again; Cancel keeps the editor.
            f.world.expect("This custom list has been modified. Want to save ?", MsgIcon::Question,
                           MsgAnswer::Cancel);
            trigger(w, "closeAction");
            QVERIFY(w->isVisible());
            f.world.expect("This custom list has been modified. Want to save ?", MsgIcon::Question, MsgAnswer::No);
            trigger(w, "closeAction");
            QVERIFY(!w->isVisible());
        });
        f.frame->execute(cmd::CreateList);
        QVERIFY(!std::filesystem::exists(unwritable));
    }

    void printWithoutATextViewerNamesTheFile()
    {
        Fixture f(2);  // the text viewer's program is missing
        const std::string par = f.write("parameter/motor.par", listFileBytes("12.34", fullWorkBytes(catalogue1234())));
        f.open(par);
        const std::string printed = f.path("parameter/motor.txt");
        f.world.expect("NOTEPAD application not found !", MsgIcon::None);
        f.world.expect("The software created a print file :\n" + printed, MsgIcon::None);
        f.frame->execute(cmd::FilePrint);
        const std::string text = bytesOf(printed);
        QVERIFY(text.find(" \tRated Power                \t3.75  kW\r\n") != std::string::npos);
        QVERIFY(text.find("0013 \t Accel time        \t     10.00  sec     \r\n") != std::string::npos);
    }

    void compareShowsEachDifferenceInItsWindow()
    {
        Fixture f;
        auto values = catalogue1234();
        const std::string first = f.write("parameter/a.par", listFileBytes("12.34", fullWorkBytes(values)));
        for (auto& v : values)
            if (v.number == 0x0013) v.value = 2000;
        const std::string second = f.write("parameter/b.par", listFileBytes("12.34", fullWorkBytes(values)));
        const kestrel::CTervikDoc& doc = f.open(first);
        QVERIFY(f.frame->action(cmd::FileCompareWith)->isEnabled());
        // A value changed in the window but not saved counts as value 1.
        QVERIFY(kestrel::CWorkFile(doc.workPath()).writeValue(0x00A9, 7));

        f.files.answer(second);
        QStringList seen;
        f.world.modals.expectNamed("compareDialog", [&](QWidget* w) {
            CloseAtEnd guard{w};
            QCOMPARE(w->windowTitle(), QString("Compare Results - Differences"));
            QCOMPARE(w->findChild<QLabel*>("firstFile")->text(), QString::fromStdString("1. " + first));
            QCOMPARE(w->findChild<QLabel*>("secondFile")->text(), QString::fromStdString("2. " + second));
            QCOMPARE(w->findChild<QLabel*>("version")->text(), QString("Version : A12.34"));
            auto* grid = w->findChild<CMSHFlexGrid*>("compareGrid");
            for (int r = 1; r < grid->rows(); ++r) {
                QStringList row;
                for (int c = 0; c < grid->cols(); ++c) row << grid->textMatrix(r, c).trimmed();
                seen << row.join("|");
            }
            QCOMPARE(grid->row(), 1);
            snapshot(w, "compare");
            w->findChild<QPushButton*>("okButton")->click();
        });
        f.frame->execute(cmd::FileCompareWith);
        QCOMPARE(seen, (QStringList{"13|Accel time|10.00|20.00|sec|0.01|300.00|Program in STOP",
                                    "A9|Address|7|1||0|31|Program in STOP"}));

        // Another version cannot be compared; no window comes.
        auto other = catalogue1234();
        f.world.root.write("install/tvk/RQ-1240.tvk", databaseBytes(other));
        const std::string newer = f.write("parameter/c.par", listFileBytes("12.40", fullWorkBytes(other)));
        f.files.answer(newer);
        f.world.expect("Version conflict !\n\nYou need to convert the files to the same software version.",
                       MsgIcon::None);
        f.frame->execute(cmd::FileCompareWith);
        QVERIFY(f.world.messages->verify());
    }

    void convertAnswersEachQuestionAndOpensTheNewList()
    {
        Fixture f;
        f.world.root.write("install/tvk/RQ-1240.tvk", databaseBytes(catalogue1240()));
        auto values = catalogue1234();
        for (auto& v : values)
            if (v.number == 0x00A9) v.value = 9;
        const std::string source = f.write("parameter/motor.par", listFileBytes("12.34", fullWorkBytes(values)));
        f.open(source);
        const std::string target = f.path("parameter/motor40.par");

        chooseVersionWhenAsked(f.world, "12.40");
        f.world.expect(kProvideName, MsgIcon::Information);
        f.files.answer(target);
        QStringList questions;
        // 0013 redefined: a value out of the new limits is refused, then 150.00 taken.
        f.world.modals.expectNamed("conversionDialog", [&](QWidget* w) {
            questions << w->findChild<QLabel*>("message")->text();
            snapshot(w, "conversion");
            w->findChild<QLineEdit*>("entry")->setText("250.00");
            f.world.expect("Value exceeds upper limit", MsgIcon::Stop);
            f.world.modals.expectNamed("conversionDialog", [&](QWidget* w) {
                // Asked again with what the user typed.
                QCOMPARE(w->findChild<QLineEdit*>("entry")->text(), QString("250.00"));
                w->findChild<QLineEdit*>("entry")->setText("150.00");
                f.world.modals.expectNamed("conversionDialog", [&](QWidget* w) {  // 002D dropped: informs only
                    questions << w->findChild<QLabel*>("message")->text();
                    QVERIFY(!w->findChild<QLineEdit*>("entry")->isEnabled());
                    f.world.modals.expectNamed("conversionDialog", [&](QWidget* w) {  // 0051 new: its default
                        questions << w->findChild<QLabel*>("message")->text();
                        w->findChild<QLineEdit*>("entry")->clear();
                        w->findChild<QPushButton*>("setDefaultButton")->click();
                        QCOMPARE(w->findChild<QLineEdit*>("entry")->text(), QString("2.0"));
                        w->findChild<QPushButton*>("okButton")->click();
                    });
                    w->findChild<QPushButton*>("okButton")->click();
                });
                w->findChild<QPushButton*>("okButton")->click();
            });
            w->findChild<QPushButton*>("okButton")->click();
        });
        f.frame->execute(cmd::FileConvertTo);
        QCOMPARE(questions.size(), 3);
        // Names keep the database's blank padding.
        const auto asked = [&](int i, const char* parameter, const char* why) {
            return questions[i].startsWith(parameter) && questions[i].contains(why);
        };
        QVERIFY(asked(0, "0013 - Accel time", "\n\nThis parameter is not identical in both versions !\nPlease enter"));
        QVERIFY(asked(1, "002D - Warm start", "\n\nThis parameter was not found in version A12.40"));
        QVERIFY(asked(2, "0051 - Boost", "\n\nThis is a new parameter in version A12.40\nPlease enter"));

        // The new list in a window of its own: carried values, the answers,
        // the target's own version value.
        QCOMPARE(f.windows(), 2);
        QCOMPARE(kestrel::activeListView(*f.frame)->document().filePath(), target);
        QCOMPARE(kestrel::activeListView(*f.frame)->document().versionText(), std::string("A12.40"));
        const std::string bytes = bytesOf(target);
        QCOMPARE(bytes.substr(31, 11), std::string("INV: A12.40"));
        const auto records = recordsOf(bytes);
        const auto has = [&](const std::string& r) { return std::find(records.begin(), records.end(), r) != records.end(); };
        QVERIFY(has("0013"
                    "3A98"));  // 150.00
        QVERIFY(has("00510014"));
        QVERIFY(has("00A90009"));
        QVERIFY(has("00E404D8"));
        QVERIFY(std::none_of(records.begin(), records.end(), [](const std::string& r) { return r.substr(0, 4) == "002D"; }));

        const std::string report = f.path("parameter/Report.txt");
        QCOMPARE(f.viewer.shown, std::vector<std::string>{report});
        const std::string text = bytesOf(report);
        QVERIFY(text.find("0013 - Not identical\r\n002D - not found in A12.40\r\n0051 - New parameter in A12.40\r\n") !=
                std::string::npos);
        QVERIFY(text.find("END OF REPORT") != std::string::npos);
    }

    void abortedConversionLeavesNoNewFiles()
    {
        Fixture f;
        f.world.root.write("install/tvk/RQ-1240.tvk", databaseBytes(catalogue1240()));
        const std::string source =
            f.write("parameter/motor.par", listFileBytes("12.34", fullWorkBytes(catalogue1234())));
        f.open(source);
        const std::string target = f.path("parameter/motor40.par");
        const std::string fresh = f.path("parameter/fresh40.par");
        chooseVersionWhenAsked(f.world, "12.40");
        f.world.expect(kProvideName, MsgIcon::Information);
        f.files.answer(fresh);
        f.world.modals.expectNamed("conversionDialog", [&](QWidget* w) {
            f.world.expect("This will end the conversion process.", MsgIcon::Information);
            f.world.expect("Conversion process terminated before completion.", MsgIcon::None);
            w->findChild<QPushButton*>("abortButton")->click();
        });
        f.frame->execute(cmd::FileConvertTo);
        QVERIFY(!std::filesystem::exists(fresh));
        QVERIFY(!std::filesystem::exists(f.path("parameter/Report.txt")));

        // An existing file the user agreed to overwrite survives an abort.
        f.write("parameter/motor40.par", "an earlier list");
        chooseVersionWhenAsked(f.world, "12.40");
        f.world.expect(kProvideName, MsgIcon::Information);
        f.files.answer(target);
        f.world.expect("This file already exists. Overwrite ?", MsgIcon::None, MsgAnswer::Yes);
        f.world.modals.expectNamed("conversionDialog", [&](QWidget* w) {
            f.world.modals.expectNamed("conversionDialog", [&](QWidget* w) {
                // Cancel at the question goes back to the dialog; OK ends the conversion.
                f.world.expect("This will end the conversion process.", MsgIcon::Information, MsgAnswer::Cancel);
                f.world.modals.expectNamed("conversionDialog", [&](QWidget* w) {
                    f.world.expect("This will end the conversion process.", MsgIcon::Information);
                    f.world.expect("Conversion process terminated before completion.", MsgIcon::None);
                    w->findChild<QPushButton*>("abortButton")->click();
                });
                w->findChild<QPushButton*>("abortButton")->click();
            });
            w->findChild<QPushButton*>("setDefaultButton")->click();
            w->findChild<QPushButton*>("okButton")->click();
        });
        f.frame->execute(cmd::FileConvertTo);
        QCOMPARE(f.windows(), 1);
        QCOMPARE(bytesOf(target), std::string("an earlier list"));
        QVERIFY(!std::filesystem::exists(f.path("parameter/Report.txt")));
        QVERIFY(f.viewer.shown.empty());
        QVERIFY(f.world.messages->verify());

        // Converting to the list's own version is not needed.
        chooseVersionWhenAsked(f.world, "12.34");
        f.world.expect("Conversion not required !", MsgIcon::None);
        f.frame->execute(cmd::FileConvertTo);
        QCOMPARE(f.windows(), 1);
    }
};

QTEST_MAIN(ListFilesTest)
#include "ListFiles_qtest.moc"
