// The modal answerer of the window tests: it answers the windows it expects
// in their nested exec(), and a window that never comes, or one nobody
// answers, is a failure that does not leave the test hanging.
#include <platform/testing/qt/ModalAnswerer.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>

#include <chrono>
#include <string>
#include <vector>

using platform::testing::ModalAnswerer;
using namespace std::chrono_literals;

class ModalAnswererTest : public QObject {
    Q_OBJECT

private slots:
    void pressesTheNamedButtonOfTheBoxShowingTheText()
    {
        std::vector<std::string> failures;
        ModalAnswerer modals([&](const std::string& f) { failures.push_back(f); });
        modals.press("Overwrite", "&No");
        QMessageBox box(QMessageBox::Question, "Aviary Drives", "This file already exists. Overwrite ?",
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.exec(), int(QMessageBox::No));
        QVERIFY(modals.verify());
        QVERIFY(failures.empty());
    }

    void answersNestedDialogsInTheOrderTheyCome()
    {
        std::vector<std::string> failures, order;
        ModalAnswerer modals([&](const std::string& f) { failures.push_back(f); });
        QDialog outer;
        outer.setObjectName("outerDialog");
        QDialog inner(&outer);
        inner.setObjectName("innerDialog");
        modals.expectNamed("outerDialog", [&](QWidget* w) {
            order.push_back("outer");
            // A window the action opens in an exec() of its own is answered too.
            modals.expectNamed("innerDialog", [&](QWidget* d) {
                order.push_back("inner");
                qobject_cast<QDialog*>(d)->accept();
            });
            QCOMPARE(inner.exec(), int(QDialog::Accepted));
            qobject_cast<QDialog*>(w)->accept();
        });
        QCOMPARE(outer.exec(), int(QDialog::Accepted));
        QCOMPARE(order, (std::vector<std::string>{"outer", "inner"}));
        QVERIFY(failures.empty());
    }

    void aWindowThatNeverComesOrIsNotAnsweredFails()
    {
        std::vector<std::string> failures;
        {
            ModalAnswerer modals([&](const std::string& f) { failures.push_back(f); }, 200ms);
            modals.expectNamed("neverShown", [](QWidget*) {});
            QDialog other;
            other.setObjectName("someOtherDialog");
            // Not matched: after the limit the failure is reported and the
            // window closed, so exec() returns instead of hanging.
            QCOMPARE(other.exec(), int(QDialog::Rejected));
            QCOMPARE(modals.pending(), size_t(0));
        }
        QCOMPARE(failures.size(), size_t(1));
        QVERIFY2(failures[0].find("neverShown") != std::string::npos, failures[0].c_str());

        {
            ModalAnswerer modals([&](const std::string& f) { failures.push_back(f); });
            modals.expectNamed("leftOver", [](QWidget*) {});
        }  // the destructor reports it
        QCOMPARE(failures.size(), size_t(2));
        QVERIFY2(failures[1].find("leftOver") != std::string::npos, failures[1].c_str());
    }
};

QTEST_MAIN(ModalAnswererTest)
#include "ModalAnswerer_qtest.moc"
