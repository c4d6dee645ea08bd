// The progress dialog: a stepper ticked until it is done, questions answered
// with the timer stopped, STOP handed to the owner, the elapsed seconds.
#include <shell/CProgressDlg.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <platform/testing/qt/ModalAnswerer.h>

using shell::CProgressDlg;
using Step = CProgressDlg::Step;

class ProgressDlgTest : public QObject {
    Q_OBJECT
private slots:
    void ticksTheStepperUntilDone()
    {
        CProgressDlg dlg("Examining Network....");
        dlg.setRange(0, 31);
        int address = 0;
        dlg.setStepper([&] {
            dlg.setValue(address);
            return ++address == 32 ? Step::Done : Step::Continue;
        });
        QCOMPARE(dlg.run(), int(CProgressDlg::Finished));
        QCOMPARE(address, 32);
        QCOMPARE(dlg.value(), 31);
        QVERIFY(!dlg.ticking());
    }

    void failureEndsWithFailed()
    {
        CProgressDlg dlg("Upload");
        int steps = 0;
        dlg.setStepper([&] { return ++steps == 3 ? Step::Failed : Step::Continue; });
        QCOMPARE(dlg.run(), int(CProgressDlg::Failed));
        QCOMPARE(steps, 3);
    }

    // While the owner's box is open no tick may run: the stepper would
    // otherwise start a second exchange under the box.
    void questionStopsTheTimerUntilAnswered_data()
    {
        QTest::addColumn<bool>("goOn");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("steps");
        QTest::newRow("yes") << true << int(CProgressDlg::Finished) << 5;
        QTest::newRow("no") << false << int(CProgressDlg::Stopped) << 2;
    }
    void questionStopsTheTimerUntilAnswered()
    {
        QFETCH(bool, goOn);
        QFETCH(int, outcome);
        QFETCH(int, steps);
        CProgressDlg dlg("Download All");
        dlg.setInterval(1);
        int step = 0;
        int stepsDuringQuestion = -1;
        bool tickingDuringQuestion = true;
        dlg.setStepper([&] {
            ++step;
            if (step == 2) return Step::Ask;
            return step == 5 ? Step::Done : Step::Continue;
        });
        dlg.setQuestionHandler([&] {
            const int before = step;
            tickingDuringQuestion = dlg.ticking();
            QTest::qWait(30);  // a box's own event loop
            stepsDuringQuestion = step - before;
            return goOn;
        });
        QCOMPARE(dlg.run(), outcome);
        QCOMPARE(stepsDuringQuestion, 0);
        QVERIFY(!tickingDuringQuestion);
        QCOMPARE(step, steps);
    }

    void stopGoesToTheOwnerWhoFinishes()
    {
        CProgressDlg dlg("Upload All");
        bool stopAsked = false;
        int steps = 0;
        dlg.setStepper([&] {
            ++steps;
            return stopAsked ? Step::Done : Step::Continue;
        });
        dlg.setStopHandler([&] { stopAsked = true; });
        // The user presses STOP once the work is under way.
        platform::testing::ModalAnswerer modals;
        modals.expect(
            "the progress dialog after a step", [&](QWidget* w) { return w == &dlg && steps > 1; },
            [&](QWidget*) { dlg.findChild<QPushButton*>("stopButton")->click(); });
        QCOMPARE(dlg.run(), int(CProgressDlg::Finished));
        QVERIFY(stopAsked);
        QVERIFY(steps > 1);
    }

    void stopWithoutOwnerEndsStoppedAndEscapeIsStop()
    {
        for (bool escape : {false, true}) {
            CProgressDlg dlg("Examining Network....");
            int steps = 0;
            dlg.setStepper([&] {
                ++steps;
                return Step::Continue;
            });
            platform::testing::ModalAnswerer modals;
            modals.expect(
                "the progress dialog after a step", [&](QWidget* w) { return w == &dlg && steps > 1; },
                [&](QWidget*) {
                    if (escape) QTest::keyClick(&dlg, Qt::Key_Escape);
                    else dlg.findChild<QPushButton*>("stopButton")->click();
                });
            QCOMPARE(dlg.run(), int(CProgressDlg::Stopped));
            const int atEnd = steps;
            QTest::qWait(20);
            QCOMPARE(steps, atEnd);  // no tick after the end
        }
    }

    void elapsedSecondsText()
    {
        CProgressDlg dlg("Upload");
        dlg.showElapsed(true);
        dlg.setStatus("Reading parameter 12");
        QCOMPARE(dlg.elapsedText(), QString("0 sec"));
        QCOMPARE(dlg.status(), QString("Reading parameter 12"));
        dlg.setStepper([] { return Step::Done; });
        // Whole seconds since the start, never more than really went by: a
        // loaded machine may take a second to show the dialog.
        QElapsedTimer outside;
        outside.start();
        QCOMPARE(dlg.run(), int(CProgressDlg::Finished));
        const qint64 most = outside.elapsed() / 1000;
        QStringList words = dlg.elapsedText().split(' ');
        QCOMPARE(words.size(), 2);
        QCOMPARE(words[1], QString("sec"));
        bool number = false;
        const int seconds = words[0].toInt(&number);
        QVERIFY2(number && seconds >= 0 && seconds <= most, qPrintable(dlg.elapsedText()));
    }
};

QTEST_MAIN(ProgressDlgTest)
#include "ProgressDlg_qtest.moc"
