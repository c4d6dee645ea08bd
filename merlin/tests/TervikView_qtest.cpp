// The parameter view window driven as a user drives it: tabs, double-click
// and Enter on rows, typing into the entry, against an in-memory drive.
#include "SmallDefinition.h"

#include <merlin/core/MerlinState.h>
#include <merlin/testing/CFakeLink.h>
#include <merlin/ui/CCustomListDlg.h>
#include <merlin/ui/CTervikView.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/qt/QtFailure.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace merlin;
using merlin::ui::CTervikView;
using platform::MsgIcon;
using platform::testing::qtFailure;

namespace {

QString cell(const CTervikView& view, int row, int col)
{
    return view.grid()->textMatrix(row, col);
}

}  // namespace

class TervikViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<merlin::testing::DefinitionDir> definitions;
    std::unique_ptr<MerlinDocument> document;
    CFakeLink* link = nullptr;

    std::unique_ptr<CTervikView> makeView()
    {
        auto fake = std::make_unique<CFakeLink>();
        link = fake.get();
        link->addStation(5);
        for (int k = 0; k < document->set().Count(); ++k)
            link->setRegister(5, document->set().RegisterOffsetAt(k), rawToRegister(document->set().At(k).defaultValue));
        auto view = std::make_unique<CTervikView>(*document, std::move(fake));
        view->resize(900, 600);
        return view;
    }

private slots:
    void init()
    {
        state().reset();
        definitions = std::make_unique<merlin::testing::DefinitionDir>();
        document = std::make_unique<MerlinDocument>(definitions->dir.path());
        definitions->load(document->set());
    }
    void cleanup() { state().reset(); }

    void offlineEditingThroughTheKeyboard()
    {
        platform::testing::ScriptedResponder messages(qtFailure());
        auto view = makeView();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QTRY_COMPARE_WITH_TIMEOUT(view->statusText(), QString("Scanning OFF !"), 5000);
        QCOMPARE(view->groupTitle(), QString(" 1:  Motor (3)"));
        QCOMPARE(cell(*view, 1, 2), QString("50.00"));

        view->grid()->setFocus();
        view->grid()->setRow(1);
        QTest::keyClick(view->grid(), Qt::Key_Return);
        QVERIFY(view->entry()->hasFocus());
        QTest::keyClicks(view->entry(), "12.5");
        QTest::keyClick(view->entry(), Qt::Key_Return);
        QCOMPARE(cell(*view, 1, 2), QString("12.50"));
        QCOMPARE(document->set().Value(0, 0), 1250);
        QVERIFY(document->modified);

        // Out of limits: the message, nothing stored.
        messages.expect("Value exceeds upper limit", MsgIcon::Exclamation);
        const QPoint speed = view->grid()->visualItemRect(view->grid()->item(1, 1)).center();
        QTest::mouseClick(view->grid()->viewport(), Qt::LeftButton, {}, speed);
        QTest::mouseDClick(view->grid()->viewport(), Qt::LeftButton, {}, speed);
        QVERIFY(view->model().view().editing);
        view->entry()->setText("999");
        QTest::mouseClick(view->updateButton(), Qt::LeftButton);
        QVERIFY(messages.verify());
        QCOMPARE(document->set().Value(0, 0), 1250);

        // A choice from the list.
        view->beginEdit(3);
        QVERIFY(view->choiceList()->isVisible());
        QCOMPARE(view->choiceList()->item(1)->text(), QString("On  (default)"));
        view->choiceList()->setCurrentRow(2);
        view->confirmEntry();
        QCOMPARE(cell(*view, 3, 2), QString("Auto"));

        view->tabs()->setCurrentIndex(1);
        QCOMPARE(view->groupTitle(), QString(" 2:  Drive (5)"));
        QVERIFY(link->calls().empty());
        view->grab().save("/tmp/m/view.png");
    }

    void onlineScanFollowsTheDriveAndEditsReachIt()
    {
        state().devices.setIdentification(5, 8, 1, 3);
        state().devices.setName(5, "Pump");
        state().selectedStation = 5;
        platform::testing::ScriptedResponder messages(qtFailure());
        auto view = makeView();
        view->show();
        QTRY_COMPARE_WITH_TIMEOUT(view->statusText(), QString("Scanning ON !"), 5000);
        QCOMPARE(view->windowTitle(), QString("%1  - ONLINE (5)[*]").arg(QString::fromStdString(document->title())));

        link->setRegister(5, 203, 4321);
        QTRY_COMPARE_WITH_TIMEOUT(cell(*view, 1, 2), QString("43.21"), 5000);

        view->beginEdit(2);
        view->entry()->setText("45");
        view->confirmEntry();
        QCOMPARE(link->registerValue(5, 104), std::optional<uint16_t>(450));

        link->setReadResult(5, 203, kLinkTimeout);
        link->setReadResult(5, 104, kLinkTimeout);
        link->setReadResult(5, 105, kLinkTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(view->statusText(), QString("Comm Error: 0201 513"), 5000);
        link->setReadResult(5, 203, 0);
        link->setReadResult(5, 104, 0);
        link->setReadResult(5, 105, 0);
        QTRY_COMPARE_WITH_TIMEOUT(view->statusText(), QString("Scanning ON !"), 8000);
        view->grab().save("/tmp/m/online.png");
    }

    void customListHidesRowsWhenTheFilterIsOn()
    {
        auto view = makeView();
        view->show();
        CustomList list(document->set());
        merlin::ui::CCustomListDlg dialog(list);
        dialog.clickCell(1, 2);  // "Show" of Speed
        dialog.accept();
        view->model().ToggleFilter();
        view->documentChanged();
        QCOMPARE(view->groupTitle(), QString(" 1:  Motor (2 of 3)"));
        QCOMPARE(cell(*view, 1, 1), QString("Accel time"));
    }
};

QTEST_MAIN(TervikViewTest)
#include "TervikView_qtest.moc"
