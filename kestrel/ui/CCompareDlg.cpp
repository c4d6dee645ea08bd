#include <kestrel/ui/CCompareDlg.h>
#include <kestrel/ui/GridColours.h>
#include <kestrel/ui/UiText.h>

#include <shell/CMSHFlexGrid.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel {

namespace {

using shell::CMSHFlexGrid;

struct Column {
    const char* head;
    int twips;
};
constexpr Column kColumns[] = {{"No", 500},  {"Parameter", 1800}, {"Value  1", 1000}, {"Value  2", 1000},
                               {"Unit", 900}, {"Min", 900},        {"Max", 900},        {"Type", 1625}};
constexpr int kColumnCount = 8;
constexpr int kVisibleRows = 14;

QLabel* label(const std::string& text, const char* name)
{
    auto* l = new QLabel(latin1Text(text));
    l->setObjectName(name);
    return l;
}

}  // namespace

CCompareDlg::CCompareDlg(const CompareResult& result, QWidget* parent) : QDialog(parent)
{
    setObjectName("compareDialog");
    setWindowTitle("Compare Results - Differences");

    const int rows = static_cast<int>(result.rows.size());
    grid_ = new CMSHFlexGrid(nullptr, rows + 1, kColumnCount);
    grid_->setObjectName("compareGrid");
    int width = 0;
    for (int c = 0; c < kColumnCount; ++c) {
        grid_->setColWidth(c, kColumns[c].twips);
        grid_->setColAlignment(c, c == 1 ? CMSHFlexGrid::AlignLeftTop : CMSHFlexGrid::AlignCenterCenter);
        grid_->setTextMatrix(0, c, kColumns[c].head);
        width += grid_->twipsToPixelsX(kColumns[c].twips);
    }
    for (int r = 0; r < rows; ++r) {
        const CompareRow& row = result.rows[static_cast<size_t>(r)];
        const std::string texts[] = {row.no, row.parameter, row.value1, row.value2,
                                     row.unit, row.min, row.max, row.type};
        for (int c = 0; c < kColumnCount; ++c) grid_->setTextMatrix(r + 1, c, latin1Text(texts[c]));
    }
    const int visible = std::min(rows, kVisibleRows) + 1;
    grid_->setMinimumSize(width + 24, grid_->rowHeight(0) * visible + 8);
    if (rows > 0) markRow(1);
    // The row the user moves to is marked as the list window marks its row.
    connect(grid_, &CMSHFlexGrid::selChange, this, [this] { markRow(grid_->row()); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* main = new QVBoxLayout(this);
    main->addWidget(label(result.firstLine, "firstFile"));
    main->addWidget(label(result.secondLine, "secondFile"));
    main->addWidget(label(result.versionLine, "version"));
    main->addWidget(grid_);
    main->addWidget(label("--  Not found in file", "legend"));
    main->addWidget(buttons);
}

void CCompareDlg::markRow(int row)
{
    for (int r = 1; r < grid_->rows(); ++r) {
        grid_->setRow(r);
        for (int c = 0; c < kColumnCount; ++c) {
            grid_->setCol(c);
            grid_->setCellBackColor(r == row ? kHighlight : kWhite);
        }
    }
    grid_->setRow(row);
    grid_->setCol(0);
}

}  // namespace kestrel
