// The Qt side of the platform seams: message boxes, file-dialog filters and
// branding pictures.
#include <platform/qt/QtFileDialog.h>
#include <platform/qt/QtImages.h>
#include <platform/qt/QtMessageBox.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <platform/testing/qt/ModalAnswerer.h>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

class ShellQtGlueTest : public QObject {
    Q_OBJECT
private slots:
    void windowsFiltersBecomeQtFilters_data()
    {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("qt");
        QTest::newRow("parameter files") << "PAR Files(*.par) | *.par||" << "PAR Files(*.par) (*.par)";
        QTest::newRow("two kinds") << "Lists (*.par)|*.par;*.ctm|All (*.*)|*.*||" << "Lists (*.par) (*.par *.ctm);;All (*.*) (*.*)";
        QTest::newRow("no patterns") << "*.exe||" << "*.exe (*)";
        QTest::newRow("empty") << "" << "All Files (*)";
    }
    void windowsFiltersBecomeQtFilters()
    {
        QFETCH(QString, windows);
        QFETCH(QString, qt);
        QCOMPARE(platform::qt::qtFilter(windows.toStdString()), qt);
    }

    void messageBoxShowsCaptionTextIconAndAnswers_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("qtIcon");
        QTest::addColumn<int>("answer");
        QTest::newRow("stop, ok") << int(MsgIcon::Stop) << int(MsgButtons::Ok) << int(QMessageBox::Ok)
                                  << int(QMessageBox::Critical) << int(MsgAnswer::Ok);
        QTest::newRow("exclamation, no") << int(MsgIcon::Exclamation) << int(MsgButtons::YesNo) << int(QMessageBox::No)
                                         << int(QMessageBox::Warning) << int(MsgAnswer::No);
        QTest::newRow("information, cancel") << int(MsgIcon::Information) << int(MsgButtons::OkCancel)
                                             << int(QMessageBox::Cancel) << int(QMessageBox::Information)
                                             << int(MsgAnswer::Cancel);
        QTest::newRow("question, retry") << int(MsgIcon::Question) << int(MsgButtons::RetryCancel)
                                         << int(QMessageBox::Retry) << int(QMessageBox::Question) << int(MsgAnswer::Retry);
    }
    void messageBoxShowsCaptionTextIconAndAnswers()
    {
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, press);
        QFETCH(int, qtIcon);
        QFETCH(int, answer);
        QString caption, text;
        int shownIcon = -1;
        platform::testing::ModalAnswerer modals;
        modals.expect<QMessageBox>([&](QMessageBox* box) {
            caption = box->windowTitle();
            text = box->text();
            shownIcon = box->icon();
            box->button(QMessageBox::StandardButton(press))->click();
        });
        const auto previous = platform::qt::installMessageBoxHandler([] { return nullptr; });
        const MsgAnswer a = platform::showMessageCaption("Aviary Drives", "Network not responding !", MsgIcon(icon),
                                                         MsgButtons(buttons));
        platform::setMessageHandler(previous);
        QCOMPARE(int(a), answer);
        QCOMPARE(caption, QString("Aviary Drives"));
        QCOMPARE(text, QString("Network not responding !"));
        QCOMPARE(shownIcon, qtIcon);
    }

    void brandingPixelsBecomeImages()
    {
        plumage::Bitmap b{2, 1, {0xFF112233u, 0x80FFFFFFu}};
        const QImage image = platform::qt::toImage(b);
        QCOMPARE(image.size(), QSize(2, 1));
        QCOMPARE(image.pixel(0, 0), 0xFF112233u);
        QCOMPARE(qAlpha(image.pixel(1, 0)), 0x80);
        plumage::Bitmap shortOfPixels{4, 4, {0xFF000000u}};
        QVERIFY(platform::qt::toImage(shortOfPixels).isNull());
        QVERIFY(platform::qt::toIcon(nullptr).isNull());
        plumage::Bitmap logo;
        QVERIFY(getLogo(logo));
        QVERIFY(!platform::qt::toImage(logo).isNull());
    }
};

QTEST_MAIN(ShellQtGlueTest)
#include "ShellQtGlue_qtest.moc"
