#include <kestrel/ui/CCustomListDlg.h>
#include <kestrel/ui/GridColours.h>
#include <kestrel/ui/UiText.h>

#include <shell/CMSHFlexGrid.h>

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel {

namespace {

using shell::CMSHFlexGrid;

constexpr int kColumnTwips[] = {600, 2300, 1000, 900};  // "per min" fits the unit column
const char* const kHeads[] = {"NO", "PARAMETER", "VALUE", "UNIT"};

CMSHFlexGrid* makeGrid(const char* name)
{
    auto* grid = new CMSHFlexGrid(nullptr, 2, 4);
    grid->setObjectName(name);
    for (int c = 0; c < 4; ++c) {
        grid->setColWidth(c, kColumnTwips[c]);
        grid->setColAlignment(c, c == 1 ? CMSHFlexGrid::AlignLeftTop : CMSHFlexGrid::AlignCenterCenter);
        grid->setTextMatrix(0, c, kHeads[c]);
    }
    int width = 0;
    for (int twips : kColumnTwips) width += grid->twipsToPixelsX(twips);
    grid->setMinimumSize(width + 24, 320);
    return grid;
}

}  // namespace

CCustomListDlg::CCustomListDlg(CustomListModel model, QWidget* parent) : QDialog(parent), model_(std::move(model))
{
    setObjectName("customListDialog");
    auto* main = new QVBoxLayout(this);
    main->setMenuBar(buildMenu());
    buildForm(main);
    refresh();
}

QMenuBar* CCustomListDlg::buildMenu()
{
    auto* bar = new QMenuBar(this);
    bar->setNativeMenuBar(false);
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("fileMenu");
    const auto entry = [&](const char* name, const char* text, auto slot) {
        QAction* a = file->addAction(text, this, slot);
        a->setObjectName(name);
    };
    entry("saveAction", "&Save", [this] {
        model_.save();
        refresh();
    });
    entry("saveAsAction", "Save &As...", [this] {
        model_.saveAs();
        refresh();
    });
    entry("printAction", "&Print...", [this] { model_.print(); });
    file->addSeparator();
    entry("closeAction", "&Close", [this] { reject(); });
    return bar;
}

void CCustomListDlg::buildForm(QVBoxLayout* main)
{
    auto* heading = new QLabel("Customize your application parameter set");
    heading->setObjectName("heading");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    version_ = new QLabel;
    version_->setObjectName("versionLabel");
    standard_ = makeGrid("standardGrid");
    custom_ = makeGrid("customGrid");
    add_ = new QPushButton(">>");
    add_->setObjectName("addButton");
    delete_ = new QPushButton("Delete parameter");
    delete_->setObjectName("deleteButton");

    auto* grids = new QGridLayout;
    grids->addWidget(new QLabel("Standard Parameters"), 0, 0);
    grids->addWidget(new QLabel("Customized Parameters"), 0, 2);
    grids->addWidget(standard_, 1, 0);
    grids->addWidget(add_, 1, 1, Qt::AlignVCenter);
    grids->addWidget(custom_, 1, 2);
    grids->addWidget(delete_, 2, 2, Qt::AlignRight);

    main->addWidget(heading);
    main->addWidget(version_);
    main->addLayout(grids);

    connect(standard_, &CMSHFlexGrid::click, this, &CCustomListDlg::onStandardClicked);
    connect(standard_, &CMSHFlexGrid::selChange, this, &CCustomListDlg::onStandardClicked);
    connect(custom_, &CMSHFlexGrid::click, this, &CCustomListDlg::onCustomClicked);
    connect(custom_, &CMSHFlexGrid::selChange, this, &CCustomListDlg::onCustomClicked);
    connect(add_, &QPushButton::clicked, this, [this] {
        model_.add();
        refresh();
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        model_.removeSelected();
        refresh();
    });
}

void CCustomListDlg::fillGrid(CMSHFlexGrid* grid, const std::vector<EditorRow>& rows, int selected)
{
    grid->setRows(std::max<int>(2, static_cast<int>(rows.size()) + 1));
    grid->clearCells();
    for (int c = 0; c < 4; ++c) grid->setTextMatrix(0, c, kHeads[c]);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const EditorRow& row = rows[static_cast<size_t>(r)];
        const std::string texts[] = {row.no, row.parameter, row.value, row.unit};
        for (int c = 0; c < 4; ++c) {
            grid->setTextMatrix(r + 1, c, latin1Text(texts[c]));
            grid->setRow(r + 1);
            grid->setCol(c);
            grid->setCellBackColor(r == selected ? kHighlight : kWhite);
        }
    }
    // Painting moved the current cell; it goes back to the marked row (or
    // the first), and the view with it.
    grid->setRow(selected >= 0 ? selected + 1 : 1);
    grid->setCol(0);
    if (selected >= 0)
        grid->scrollToItem(grid->item(selected + 1, 0));
    else
        grid->scrollToTop();
}

void CCustomListDlg::refresh()
{
    const CustomListModel::View& v = model_.view();
    setWindowTitle(latin1Text(v.title));
    version_->setText(latin1Text(v.versionLabel));
    fillGrid(standard_, v.standard, v.selectedStandard);
    fillGrid(custom_, v.custom, v.selectedCustom);
    delete_->setEnabled(v.deleteEnabled);
}

void CCustomListDlg::onStandardClicked()
{
    if (model_.view().selectedStandard == standard_->row() - 1) return;
    model_.selectStandard(standard_->row() - 1);
    refresh();
}

void CCustomListDlg::onCustomClicked()
{
    if (model_.view().selectedCustom == custom_->row() - 1) return;
    model_.selectCustom(custom_->row() - 1);
    refresh();
}

void CCustomListDlg::reject()
{
    if (closing_) return;
    closing_ = true;
    const bool mayClose = model_.close();
    closing_ = false;
    refresh();
    if (mayClose) QDialog::reject();
}

void CCustomListDlg::closeEvent(QCloseEvent* event)
{
    // The close box asks the same question as File, Close.
    event->ignore();
    reject();
}

}  // namespace kestrel
