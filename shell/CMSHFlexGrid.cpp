#include <shell/CMSHFlexGrid.h>

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace shell {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kDefaultRowTwips = 240;

// Keyboard-state bits the grid's key events carry: 1 Shift, 2 Ctrl, 4 Alt.
int shiftMask(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

bool isNumber(const QString& s)
{
    bool ok = false;
    s.trimmed().toDouble(&ok);
    return ok;
}

// Ordering of two cell texts under one of the sort codes 1..8 (ascending form).
bool sortsBefore(int sort, const QString& a, const QString& b)
{
    switch (sort) {
    case CMSHFlexGrid::SortGenericAscending:
    case CMSHFlexGrid::SortGenericDescending:
        if (isNumber(a) && isNumber(b)) return a.trimmed().toDouble() < b.trimmed().toDouble();
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    case CMSHFlexGrid::SortNumericAscending:
    case CMSHFlexGrid::SortNumericDescending: return a.trimmed().toDouble() < b.trimmed().toDouble();
    case CMSHFlexGrid::SortStringNoCaseAscending:
    case CMSHFlexGrid::SortStringNoCaseDescending: return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    default: return QString::compare(a, b, Qt::CaseSensitive) < 0;
    }
}

bool descending(int sort) { return sort == 2 || sort == 4 || sort == 6 || sort == 8; }

}  // namespace

CMSHFlexGrid::CMSHFlexGrid(QWidget* parent, int rows, int cols) : QTableWidget(parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(std::max(twipsToPixelsY(kDefaultRowTwips), fontMetrics().height() + 4));
    setCols(std::max(cols, 1));
    setRows(std::max(rows, fixedRows_ + 1));
    connect(this, &QTableWidget::currentCellChanged, this, [this](int r, int c, int, int) {
        if (!programmatic_ && r >= fixedRows_ && c >= 0) userMovedTo(r, c);
    });
    connect(this, &QTableWidget::cellClicked, this, [this](int r, int) {
        if (r >= fixedRows_) emit click();
    });
}

QTableWidgetItem* CMSHFlexGrid::cell(int r, int c)
{
    QTableWidgetItem* it = item(r, c);
    if (it == nullptr) {
        it = new QTableWidgetItem;
        styleCell(it, r, c);
        setItem(r, c, it);
    }
    return it;
}

void CMSHFlexGrid::styleCell(QTableWidgetItem* it, int r, int c) const
{
    if (r < fixedRows_) {
        it->setFlags(Qt::ItemIsEnabled);
        it->setBackground(palette().button());
        it->setForeground(palette().buttonText());
        it->setTextAlignment(Qt::AlignCenter);
        return;
    }
    it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    const int align = c < static_cast<int>(colAlign_.size()) ? colAlign_[size_t(c)] : AlignGeneral;
    if (align == AlignGeneral)
        it->setTextAlignment(Qt::AlignVCenter | (isNumber(it->text()) ? Qt::AlignRight : Qt::AlignLeft));
    else
        it->setTextAlignment(qtAlignment(align));
}

QString CMSHFlexGrid::text() const { return textMatrix(row_, col_); }
void CMSHFlexGrid::setText(const QString& text) { setTextMatrix(row_, col_, text); }

QString CMSHFlexGrid::textMatrix(int r, int c) const
{
    const QTableWidgetItem* it = item(r, c);
    return it ? it->text() : QString();
}

void CMSHFlexGrid::setTextMatrix(int r, int c, const QString& text)
{
    if (r < 0 || r >= rowCount() || c < 0 || c >= columnCount()) return;
    QTableWidgetItem* it = cell(r, c);
    it->setText(text);
    styleCell(it, r, c);
}

void CMSHFlexGrid::setRows(int rows)
{
    const int old = rowCount();
    setRowCount(std::max(rows, fixedRows_));
    for (int r = old; r < std::min(rowCount(), fixedRows_); ++r)
        for (int c = 0; c < columnCount(); ++c) cell(r, c);
    if (row_ >= rowCount()) row_ = rowCount() - 1;
}

void CMSHFlexGrid::setCols(int cols)
{
    const int old = columnCount();
    setColumnCount(std::max(cols, 1));
    colAlign_.resize(size_t(columnCount()), AlignGeneral);
    for (int r = 0; r < std::min(rowCount(), fixedRows_); ++r)
        for (int c = old; c < columnCount(); ++c) cell(r, c);
    if (col_ >= columnCount()) col_ = columnCount() - 1;
}

void CMSHFlexGrid::setRow(int r)
{
    if (r < 0 || r >= rowCount()) return;
    row_ = r;
    showCurrent();
}

void CMSHFlexGrid::setCol(int c)
{
    if (c < 0 || c >= columnCount()) return;
    col_ = c;
    showCurrent();
}

void CMSHFlexGrid::showCurrent()
{
    if (row_ < fixedRows_) return;  // the header row never holds the cursor
    programmatic_ = true;
    setCurrentCell(row_, col_, QItemSelectionModel::NoUpdate);
    programmatic_ = false;
}

void CMSHFlexGrid::userMovedTo(int r, int c)
{
    row_ = r;
    col_ = c;
    emit enterCell();
    emit selChange();
}

QRect CMSHFlexGrid::cellRect() const
{
    const QRect r = visualRect(model()->index(row_, col_));
    return r.translated(viewport()->pos());
}

int CMSHFlexGrid::cellLeft() const { return pixelsToTwipsX(cellRect().left()); }
int CMSHFlexGrid::cellTop() const { return pixelsToTwipsY(cellRect().top()); }
int CMSHFlexGrid::cellWidth() const { return pixelsToTwipsX(cellRect().width()); }
int CMSHFlexGrid::cellHeight() const { return pixelsToTwipsY(cellRect().height()); }

QColor CMSHFlexGrid::fromColorRef(uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

void CMSHFlexGrid::setCellBackColor(uint32_t ref) { cell(row_, col_)->setBackground(fromColorRef(ref)); }
void CMSHFlexGrid::setCellForeColor(uint32_t ref) { cell(row_, col_)->setForeground(fromColorRef(ref)); }

QColor CMSHFlexGrid::cellBackColor() const
{
    const QTableWidgetItem* it = item(row_, col_);
    if (it && it->background().style() != Qt::NoBrush) return it->background().color();
    return palette().base().color();
}

QColor CMSHFlexGrid::cellForeColor() const
{
    const QTableWidgetItem* it = item(row_, col_);
    if (it && it->foreground().style() != Qt::NoBrush) return it->foreground().color();
    return palette().text().color();
}

void CMSHFlexGrid::clearCells()
{
    clearContents();
    for (int r = 0; r < std::min(rowCount(), fixedRows_); ++r)
        for (int c = 0; c < columnCount(); ++c) cell(r, c);
}

void CMSHFlexGrid::setSort(int sort)
{
    if (sort < SortGenericAscending || sort > SortStringDescending || rowCount() <= fixedRows_ + 1) return;
    std::vector<std::vector<QTableWidgetItem*>> body;
    for (int r = fixedRows_; r < rowCount(); ++r) {
        std::vector<QTableWidgetItem*> line;
        for (int c = 0; c < columnCount(); ++c) line.push_back(takeItem(r, c));
        body.push_back(std::move(line));
    }
    const auto key = [this](const std::vector<QTableWidgetItem*>& line) {
        return line[size_t(col_)] ? line[size_t(col_)]->text() : QString();
    };
    std::stable_sort(body.begin(), body.end(), [&](const auto& a, const auto& b) {
        return descending(sort) ? sortsBefore(sort, key(b), key(a)) : sortsBefore(sort, key(a), key(b));
    });
    for (size_t i = 0; i < body.size(); ++i)
        for (int c = 0; c < columnCount(); ++c)
            if (body[i][size_t(c)]) setItem(fixedRows_ + int(i), c, body[i][size_t(c)]);
}

void CMSHFlexGrid::setColWidth(int c, int twips)
{
    if (c >= 0 && c < columnCount()) setColumnWidth(c, twipsToPixelsX(twips));
}

int CMSHFlexGrid::colWidth(int c) const { return pixelsToTwipsX(columnWidth(c)); }

void CMSHFlexGrid::setColAlignment(int c, int align)
{
    if (c < 0 || c >= columnCount() || align < 0 || align > AlignGeneral) return;
    colAlign_[size_t(c)] = align;
    for (int r = fixedRows_; r < rowCount(); ++r)
        if (QTableWidgetItem* it = item(r, c)) styleCell(it, r, c);
}

int CMSHFlexGrid::colAlignment(int c) const
{
    return c >= 0 && c < static_cast<int>(colAlign_.size()) ? colAlign_[size_t(c)] : AlignGeneral;
}

Qt::Alignment CMSHFlexGrid::qtAlignment(int align)
{
    static const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    if (align < 0 || align > 8) return Qt::AlignLeft | Qt::AlignVCenter;
    return horizontal[align / 3] | vertical[align % 3];
}

int CMSHFlexGrid::twipsToPixelsX(int twips) const { return (twips * logicalDpiX() + kTwipsPerInch / 2) / kTwipsPerInch; }
int CMSHFlexGrid::twipsToPixelsY(int twips) const { return (twips * logicalDpiY() + kTwipsPerInch / 2) / kTwipsPerInch; }
int CMSHFlexGrid::pixelsToTwipsX(int pixels) const { return pixels * kTwipsPerInch / logicalDpiX(); }
int CMSHFlexGrid::pixelsToTwipsY(int pixels) const { return pixels * kTwipsPerInch / logicalDpiY(); }

void CMSHFlexGrid::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event->key(), shiftMask(event->modifiers()));
    QTableWidget::keyPressEvent(event);
}

void CMSHFlexGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && at.row() < fixedRows_) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

QModelIndex CMSHFlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    QModelIndex next = QTableWidget::moveCursor(action, modifiers);
    if (next.isValid() && next.row() < fixedRows_) {
        if (rowCount() <= fixedRows_) return currentIndex();
        next = model()->index(fixedRows_, next.column());
    }
    return next;
}

}  // namespace shell
