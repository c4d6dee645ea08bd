#pragma once
// The grid of every table on the screen. It keeps the flex grid's way of
// working: one current cell that most operations act on, row 0 as the fixed
// header row, sizes in twips (1440 per inch, converted at the screen's
// resolution), colours as 0x00BBGGRR values, text sort codes
// and column alignment codes.
//
// Events come from the user only: a click or a key that moves the current
// cell sends enterCell() and selChange(), a click then click(), and every
// key keyDown() first. Code that sets the current cell sends none, so a
// window can fill its grid without running its own handlers.
#include <QColor>
#include <QTableWidget>

#include <cstdint>
#include <vector>

namespace shell {

class CMSHFlexGrid : public QTableWidget {
    Q_OBJECT
public:
    // Flex grid text sort codes.
    enum Sort {
        SortNone = 0, SortGenericAscending = 1, SortGenericDescending = 2, SortNumericAscending = 3,
        SortNumericDescending = 4, SortStringNoCaseAscending = 5, SortStringNoCaseDescending = 6,
        SortStringAscending = 7, SortStringDescending = 8,
    };
    // Flex grid alignment codes 0..8 (left/centre/right x top/centre/bottom), 9 general.
    enum Align { AlignLeftTop = 0, AlignCenterTop = 3, AlignCenterCenter = 4, AlignGeneral = 9 };

    explicit CMSHFlexGrid(QWidget* parent = nullptr, int rows = 2, int cols = 2);

    // Text of the current cell.
    QString text() const;
    void setText(const QString& text);
    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    int rows() const { return rowCount(); }
    void setRows(int rows);
    int cols() const { return columnCount(); }
    void setCols(int cols);
    int fixedRows() const { return fixedRows_; }

    int row() const { return row_; }
    void setRow(int row);
    int col() const { return col_; }
    void setCol(int col);

    // Rectangle of the current cell relative to the grid, in twips.
    int cellLeft() const;
    int cellTop() const;
    int cellWidth() const;
    int cellHeight() const;
    // The same in pixels, for placing an edit box over the cell.
    QRect cellRect() const;

    void setCellBackColor(uint32_t colorRef);
    void setCellForeColor(uint32_t colorRef);
    QColor cellBackColor() const;
    QColor cellForeColor() const;

    // Empties every cell (text and colours); rows and columns stay.
    void clearCells();
    // Sorts the rows below the header by the current column.
    void setSort(int sort);

    void setColWidth(int col, int twips);
    int colWidth(int col) const;
    void setColAlignment(int col, int align);
    int colAlignment(int col) const;

    int twipsToPixelsX(int twips) const;
    int twipsToPixelsY(int twips) const;
    int pixelsToTwipsX(int pixels) const;
    int pixelsToTwipsY(int pixels) const;

    static QColor fromColorRef(uint32_t colorRef);
    static Qt::Alignment qtAlignment(int align);

signals:
    void selChange();
    void click();
    void keyDown(int key, int shift);
    void enterCell();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    QTableWidgetItem* cell(int row, int col);
    void styleCell(QTableWidgetItem* item, int row, int col) const;
    void userMovedTo(int row, int col);
    void showCurrent();

    int fixedRows_ = 1;
    int row_ = 1;
    int col_ = 0;
    bool programmatic_ = false;
    std::vector<int> colAlign_;
};

}  // namespace shell
