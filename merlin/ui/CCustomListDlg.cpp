#include <merlin/ui/CCustomListDlg.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace merlin::ui {

namespace {
constexpr int kListColumnTwips[5] = {600, 3600, 900, 900, 900};
constexpr int kFirstCheckColumn = 2;
const char* const kCheck = "\u2714";
}  // namespace

CCustomListDlg::CCustomListDlg(CustomList& model, QWidget* parent) : QDialog(parent), model_(model)
{
    setWindowTitle(tr("Custom List"));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabBar(this);
    tabs_->setUsesScrollButtons(true);
    for (const std::string& tab : model_.tabs())
        tabs_->addTab(QString::fromStdString(tab));
    layout->addWidget(tabs_);
    grid_ = new Grid(this, 2, 5);
    int width = 0;
    for (int c = 0; c < 5; ++c) {
        grid_->setColWidth(c, kListColumnTwips[c]);
        grid_->setColAlignment(c, c >= kFirstCheckColumn ? Grid::AlignCenterCenter : Grid::AlignGeneral);
        width += kListColumnTwips[c];
    }
    grid_->setMinimumWidth(grid_->twipsToPixelsX(width + 400));
    grid_->setMinimumHeight(grid_->twipsToPixelsY(16 * 260));
    layout->addWidget(grid_);

    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(new QLabel(tr("Whole group:"), this));
    const char* names[3] = {"Show", "DwnLoad", "UpLoad"};
    for (int c = CustomList::Show; c <= CustomList::Upload; ++c) {
        auto* button = new QPushButton(tr(names[c]), this);
        connect(button, &QPushButton::clicked, this, [this, c] { wholeGroup(static_cast<CustomList::Column>(c)); });
        groupRow->addWidget(button);
    }
    layout->addLayout(groupRow);
    defaults_ = new QCheckBox(tr("Defaults"), this);
    readOnly_ = new QCheckBox(tr("Read only"), this);
    defaults_->setChecked(model_.hideDefaults);
    readOnly_->setChecked(model_.hideReadOnly);
    auto* switches = new QHBoxLayout;
    switches->addWidget(defaults_);
    switches->addWidget(readOnly_);
    switches->addStretch();
    layout->addLayout(switches);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCustomListDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCustomListDlg::reject);
    layout->addWidget(buttons);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        model_.selectGroup(index);
        fill();
    });
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int col) { clickCell(row, col); });
    fill();
}

void CCustomListDlg::fill()
{
    const auto rows = model_.rows();
    grid_->setRows(static_cast<int>(rows.size()) + 1);
    for (int c = 0; c < 5; ++c)
        grid_->setTextMatrix(0, c, QString::fromUtf8(CustomList::kHeaders[c]));
    for (size_t r = 0; r < rows.size(); ++r) {
        const int gr = static_cast<int>(r) + 1;
        grid_->setTextMatrix(gr, 0, QString::fromStdString(rows[r].registerText));
        grid_->setTextMatrix(gr, 1, QString::fromStdString(rows[r].name));
        for (int c = 0; c < 3; ++c)
            grid_->setTextMatrix(gr, kFirstCheckColumn + c, rows[r].checked[c] ? QString::fromUtf8(kCheck) : QString());
    }
}

void CCustomListDlg::clickCell(int gridRow, int col)
{
    if (gridRow < 1 || col < kFirstCheckColumn)
        return;
    model_.toggle(gridRow - 1, static_cast<CustomList::Column>(col - kFirstCheckColumn));
    fill();
}

void CCustomListDlg::wholeGroup(CustomList::Column column)
{
    model_.toggleGroup(column);
    fill();
}

void CCustomListDlg::accept()
{
    model_.hideDefaults = defaults_->isChecked();
    model_.hideReadOnly = readOnly_->isChecked();
    model_.accept();
    QDialog::accept();
}

}  // namespace merlin::ui
