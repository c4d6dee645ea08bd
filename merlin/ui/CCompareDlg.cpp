#include <merlin/ui/CCompareDlg.h>

#include <merlin/ui/Notices.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace merlin::ui {

CCompareDlg::CCompareDlg(CompareDialog& model, QWidget* parent) : QDialog(parent), model_(model)
{
    setObjectName("compareDialog");
    setWindowTitle(QString::fromStdString(model.view().title));
    heading_ = new QLabel(this);
    heading_->setObjectName("compareHeading");
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    caption_ = new QLabel(this);
    caption_->setObjectName("compareCaption");
    caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid_ = new Grid(this, 2, 9);
    grid_->setObjectName("compareGrid");
    readOnly_ = new QCheckBox("Without read-only parameters", this);
    readOnly_->setObjectName("readOnlyOption");
    connect(readOnly_, &QCheckBox::toggled, this, [this](bool on) {
        model_.SetSkipReadOnly(on);
        render();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    text_ = buttons->addButton("Text File", QDialogButtonBox::ActionRole);
    text_->setObjectName("textFileButton");
    connect(text_, &QPushButton::clicked, this, &CCompareDlg::writeText);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(caption_);
    layout->addWidget(grid_, 1);
    layout->addWidget(readOnly_);
    layout->addWidget(buttons);
    render();
    int width = 0;
    for (const CompareColumn& column : model_.view().columns)
        width += column.widthTwips;
    resize(grid_->twipsToPixelsX(width) + 60, 480);
}

void CCompareDlg::render()
{
    const CompareDialog::View& v = model_.view();
    heading_->setText(QString::fromStdString(v.heading));
    caption_->setText("Compared with: " + QString::fromStdString(v.secondCaption));
    grid_->clearCells();
    grid_->setRows(static_cast<int>(v.rows.size()) + 1);
    for (int c = 0; c < static_cast<int>(v.columns.size()); ++c) {
        grid_->setTextMatrix(0, c, v.columns[c].title);
        grid_->setColWidth(c, v.columns[c].widthTwips);
    }
    for (size_t r = 0; r < v.rows.size(); ++r)
        for (size_t c = 0; c < v.rows[r].size(); ++c)
            grid_->setTextMatrix(static_cast<int>(r) + 1, static_cast<int>(c), QString::fromStdString(v.rows[r][c]));
    // The widths are the least a column gets; a longer name or value widens it.
    for (int c = 0; c < grid_->cols(); ++c) {
        const int least = grid_->columnWidth(c);
        grid_->resizeColumnToContents(c);
        grid_->setColumnWidth(c, std::max(least, grid_->columnWidth(c)));
    }
}

void CCompareDlg::writeText()
{
    showNotices(model_.WriteText(QDir::currentPath().toStdString()));
}

}  // namespace merlin::ui
