#include <merlin/ui/CFaultDlg.h>

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include <algorithm>

namespace merlin::ui {

CFaultDlg::CFaultDlg(const CDpfParSet& set, CModbusLink& link, int station, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(CFaultList::title(station)));
    auto* layout = new QVBoxLayout(this);
    const auto& columns = CFaultList::columns();
    const std::vector<FaultRow> rows = CFaultList::read(set, link, station);
    grid_ = new Grid(this, std::max<int>(CFaultList::kMinimumRows, static_cast<int>(rows.size())) + 1,
                     static_cast<int>(columns.size()));
    int width = 0;
    for (size_t c = 0; c < columns.size(); ++c) {
        grid_->setColWidth(static_cast<int>(c), columns[c].widthTwips);
        grid_->setColAlignment(static_cast<int>(c), columns[c].align == FaultColumn::Align::Left
                                                        ? Grid::AlignLeftTop + 1  // left, centre
                                                        : Grid::AlignCenterCenter);
        grid_->setTextMatrix(0, static_cast<int>(c), QString::fromUtf8(columns[c].title));
        // A title wider than its column at this font gets the room it needs.
        const int needed = grid_->fontMetrics().horizontalAdvance(QString::fromUtf8(columns[c].title)) + 16;
        if (grid_->columnWidth(static_cast<int>(c)) < needed)
            grid_->setColumnWidth(static_cast<int>(c), needed);
        width += grid_->pixelsToTwipsX(grid_->columnWidth(static_cast<int>(c)));
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        const FaultRow& row = rows[r];
        const int gr = static_cast<int>(r) + 1;
        grid_->setTextMatrix(gr, 0, QString::fromStdString(row.faultNumber));
        grid_->setTextMatrix(gr, 1, QString::fromStdString(row.message));
        grid_->setTextMatrix(gr, 2, QString::fromStdString(row.cause));
        grid_->setTextMatrix(gr, 3, QString::fromStdString(row.type));
    }
    grid_->setMinimumWidth(grid_->twipsToPixelsX(width + 400));
    grid_->setMinimumHeight(grid_->rowHeight(0) * (CFaultList::kMinimumRows + 2));
    layout->addWidget(grid_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace merlin::ui
