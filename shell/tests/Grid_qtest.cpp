// CMSHFlexGrid: current cell, events from the user only, twips, colours,
// clear, sort and alignment.
#include <shell/CMSHFlexGrid.h>

#include <QMap>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using shell::CMSHFlexGrid;

namespace {

struct Events {
    QStringList order;
    Events(CMSHFlexGrid& g)
    {
        QObject::connect(&g, &CMSHFlexGrid::enterCell, [this] { order << "enter"; });
        QObject::connect(&g, &CMSHFlexGrid::selChange, [this] { order << "sel"; });
        QObject::connect(&g, &CMSHFlexGrid::click, [this] { order << "click"; });
        QObject::connect(&g, &CMSHFlexGrid::keyDown, [this](int key, int shift) {
            order << QString("key %1 %2").arg(key).arg(shift);
        });
    }
};

void fill(CMSHFlexGrid& g, const QStringList& column0, const QStringList& column1)
{
    g.setRows(int(column0.size()) + 1);
    for (int r = 0; r < column0.size(); ++r) {
        g.setTextMatrix(r + 1, 0, column0[r]);
        g.setTextMatrix(r + 1, 1, column1[r]);
    }
}

QPoint centreOf(CMSHFlexGrid& g, int row, int col)
{
    return g.visualRect(g.model()->index(row, col)).center();
}

}  // namespace

class GridTest : public QObject {
    Q_OBJECT
private slots:
    void currentCellCarriesTheText()
    {
        CMSHFlexGrid g(nullptr, 3, 4);
        QCOMPARE(g.rows(), 3);
        QCOMPARE(g.cols(), 4);
        g.setRow(0);
        for (int c = 0; c < 4; ++c) {
            g.setCol(c);
            g.setText(QString("H%1").arg(c));
        }
        g.setRow(2);
        g.setCol(3);
        g.setText("x");
        QCOMPARE(g.textMatrix(0, 2), QString("H2"));
        QCOMPARE(g.textMatrix(2, 3), QString("x"));
        QCOMPARE(g.text(), QString("x"));
        g.setRows(12);  // growing keeps what is there
        QCOMPARE(g.rows(), 12);
        QCOMPARE(g.textMatrix(2, 3), QString("x"));
        g.setRow(40);   // out of range: the current cell stays
        QCOMPARE(g.row(), 2);
    }

    void codeMovesTheCellWithoutEvents()
    {
        CMSHFlexGrid g(nullptr, 5, 2);
        Events e(g);
        g.setRow(3);
        g.setCol(1);
        QVERIFY(e.order.isEmpty());
    }

    void userClickSendsEnterSelChangeThenClick()
    {
        CMSHFlexGrid g(nullptr, 5, 2);
        g.resize(300, 200);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        Events e(g);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, centreOf(g, 2, 1));
        QCOMPARE(e.order, (QStringList{"enter", "sel", "click"}));
        QCOMPARE(g.row(), 2);
        QCOMPARE(g.col(), 1);
        // The header row is not a place for the cursor.
        e.order.clear();
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, centreOf(g, 0, 0));
        QVERIFY(e.order.isEmpty());
        QCOMPARE(g.row(), 2);
    }

    void keysComeFirstAndStopBelowTheHeader()
    {
        CMSHFlexGrid g(nullptr, 4, 2);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.setRow(1);
        g.setCol(0);
        g.setFocus();
        Events e(g);
        QTest::keyClick(&g, Qt::Key_Down, Qt::ShiftModifier);
        // (the Shift key itself comes first, as a key of its own)
        QCOMPARE(e.order.mid(e.order.size() - 3),
                 (QStringList{QString("key %1 1").arg(int(Qt::Key_Down)), "enter", "sel"}));
        QCOMPARE(g.row(), 2);
        e.order.clear();
        QTest::keyClick(&g, Qt::Key_Up);
        QTest::keyClick(&g, Qt::Key_Up);
        QCOMPARE(g.row(), 1);
    }

    void sizesAreInTwips()
    {
        CMSHFlexGrid g(nullptr, 3, 3);
        g.setColWidth(0, 1440);
        g.setColWidth(1, 720);
        QCOMPARE(g.columnWidth(0), g.logicalDpiX());
        QVERIFY(qAbs(g.colWidth(1) - 720) <= 1440 / g.logicalDpiX());
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.setRow(1);
        g.setCol(1);
        QVERIFY(qAbs(g.cellLeft() - g.colWidth(0)) <= 2 * 1440 / g.logicalDpiX());
        QVERIFY(qAbs(g.cellWidth() - 720) <= 2 * 1440 / g.logicalDpiX());
        QVERIFY(qAbs(g.cellRect().height() - g.rowHeight(1)) <= 1);
        QVERIFY(g.cellTop() > 0);
    }

    void coloursAreWindowsColourValues()
    {
        CMSHFlexGrid g(nullptr, 3, 2);
        g.setRow(1);
        g.setCol(0);
        g.setCellBackColor(0x8AFFFF);
        g.setCellForeColor(0x000000);
        QCOMPARE(g.cellBackColor(), QColor(0xFF, 0xFF, 0x8A));
        QCOMPARE(g.cellForeColor(), QColor(Qt::black));
        g.setCellBackColor(0xFF0000);
        QCOMPARE(g.cellBackColor(), QColor(0, 0, 0xFF));
    }

    void clearEmptiesEveryCell()
    {
        CMSHFlexGrid g(nullptr, 3, 2);
        fill(g, {"a", "b"}, {"1", "2"});
        g.setRow(1);
        g.setCellBackColor(0x8AFFFF);
        g.clearCells();
        QCOMPARE(g.rows(), 3);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c) QVERIFY(g.textMatrix(r, c).isEmpty());
        QCOMPARE(g.cellBackColor(), g.palette().base().color());
    }

    void sortByCurrentColumn_data()
    {
        QTest::addColumn<int>("sort");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("string no case ascending") << 5 << QStringList{"10", "9", "apple", "Banana", "cherry"};
        QTest::newRow("string no case descending") << 6 << QStringList{"cherry", "Banana", "apple", "9", "10"};
        QTest::newRow("numeric ascending") << 3 << QStringList{"9", "10"};
        QTest::newRow("string case ascending") << 7 << QStringList{"10", "9", "Banana", "apple", "cherry"};
    }
    void sortByCurrentColumn()
    {
        QFETCH(int, sort);
        QFETCH(QStringList, expected);
        CMSHFlexGrid g(nullptr, 2, 2);
        g.setTextMatrix(0, 0, "NAME");
        fill(g, {"cherry", "apple", "Banana", "10", "9"}, {"c", "a", "B", "ten", "nine"});
        g.setRow(1);
        g.setCol(0);
        g.setSort(sort);
        QCOMPARE(g.textMatrix(0, 0), QString("NAME"));
        QStringList order;
        for (int r = 1; r < g.rows(); ++r) order << g.textMatrix(r, 0);
        if (sort == 3) order = order.filter(QRegularExpression("^\\d+$"));
        QCOMPARE(order, expected);
        // Whole rows move.
        for (int r = 1; r < g.rows(); ++r) {
            const QString name = g.textMatrix(r, 0);
            const QString other = g.textMatrix(r, 1);
            const QMap<QString, QString> pairs{{"cherry", "c"}, {"apple", "a"}, {"Banana", "B"}, {"10", "ten"}, {"9", "nine"}};
            QCOMPARE(other, pairs.value(name));
        }
    }

    void columnAlignmentCodes()
    {
        CMSHFlexGrid g(nullptr, 3, 2);
        g.setTextMatrix(1, 0, "x");
        g.setColAlignment(0, 3);
        QCOMPARE(g.colAlignment(0), 3);
        QCOMPARE(Qt::Alignment(g.item(1, 0)->textAlignment()), Qt::AlignHCenter | Qt::AlignTop);
        g.setTextMatrix(2, 0, "y");  // new cells take the column's alignment
        QCOMPARE(Qt::Alignment(g.item(2, 0)->textAlignment()), Qt::AlignHCenter | Qt::AlignTop);
        QCOMPARE(CMSHFlexGrid::qtAlignment(7), Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(CMSHFlexGrid::qtAlignment(0), Qt::AlignLeft | Qt::AlignTop);
        g.setTextMatrix(1, 1, "12.5");  // general: numbers to the right
        QVERIFY(Qt::Alignment(g.item(1, 1)->textAlignment()) & Qt::AlignRight);
    }
};

QTEST_MAIN(GridTest)
#include "Grid_qtest.moc"
