#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/GridColours.h>
#include <kestrel/ui/UiText.h>

#include <kestrel/ui/CCloseOptionsDlg.h>
#include <kestrel/ui/CWarmUpDlg.h>
#include <kestrel/ui/CommandIds.h>
#include <shell/CMSHFlexGrid.h>
#include <platform/MessageBox.h>

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace kestrel {

using shell::CMSHFlexGrid;

namespace {

constexpr int kStatusPeriodMs = 2000;
constexpr int kValueColumn = 2;

QLabel* field(const char* name, int width = 0)
{
    auto* l = new QLabel;
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    if (width > 0) l->setMinimumWidth(width);
    // A field is one line high however large the window gets.
    l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return l;
}

}  // namespace

CTervikView::CTervikView(std::unique_ptr<CTervikDoc> doc, QWidget* parent)
    : shell::CMdiChild(parent), doc_(std::move(doc))
{
    setObjectName("parameterList");
    setAttribute(Qt::WA_DeleteOnClose);
    buildForm();
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(kStatusPeriodMs);
    connect(statusTimer_, &QTimer::timeout, this, &CTervikView::onStatusTimer);
    statusTimer_->start();
    refresh();
}

CTervikView::~CTervikView() = default;

void CTervikView::buildForm()
{
    auto* top = new QVBoxLayout(this);
    auto* intro = new QLabel("Following is the groupwise presentation of the standard parameters.");
    top->addWidget(intro);

    auto* header = new QHBoxLayout;
    header->addWidget(new QLabel("Inverter Software Version"));
    version_ = field("version", 70);
    header->addWidget(version_);
    header->addSpacing(16);
    header->addWidget(new QLabel("Parameter Set "));
    parameterSet_ = field("parameterSet", 30);
    header->addWidget(parameterSet_);
    header->addSpacing(16);
    header->addWidget(new QLabel("DEVICE STATUS"));
    status_ = field("status", 240);
    header->addWidget(status_, 1);
    top->addLayout(header);

    auto* tabRow = new QHBoxLayout;
    tabRow->addWidget(new QLabel("GROUP  - "));
    tabs_ = new QTabBar;
    tabs_->setObjectName("groupTabs");
    tabs_->setUsesScrollButtons(true);
    tabs_->setExpanding(false);
    // Up to 24 groups: the bar takes the width the grid gives the window
    // and scrolls, instead of widening the window beyond the screen.
    tabs_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    tabs_->setMinimumWidth(160);
    tabRow->addWidget(tabs_, 1);
    top->addLayout(tabRow);
    groupTitle_ = new QLabel;
    groupTitle_->setObjectName("groupTitle");
    top->addWidget(groupTitle_);

    grid_ = new CMSHFlexGrid(this, CTervikDoc::kGridRows + 1, 5);
    grid_->setObjectName("grid");
    const int widths[] = {700, 2000, 1000, 800, 1625};
    const char* heads[] = {"NO", "PARAMETER", "VALUE", "UNIT", "TYPE"};
    int total = 0;
    for (int c = 0; c < 5; ++c) {
        grid_->setColWidth(c, widths[c]);
        grid_->setColAlignment(c, c == 1 ? CMSHFlexGrid::AlignLeftTop : CMSHFlexGrid::AlignCenterCenter);
        grid_->setTextMatrix(0, c, heads[c]);
        total += grid_->twipsToPixelsX(widths[c]);
    }
    // The grid is as wide as its columns; the form grows around it.
    grid_->setFixedWidth(total + 2 * grid_->frameWidth() + grid_->verticalHeader()->width() + 2);
    grid_->setFixedHeight(grid_->rowHeight(0) * (CTervikDoc::kGridRows + 1) + 2 * grid_->frameWidth() +
                          grid_->horizontalHeader()->height() * (grid_->horizontalHeader()->isVisible() ? 1 : 0));
    top->addWidget(grid_, 0, Qt::AlignLeft);

    // The edit boxes live on the grid, over the VALUE cell of the selected row.
    decimalEdit_ = new QLineEdit(grid_->viewport());
    decimalEdit_->setObjectName("decimalEdit");
    hexEdit_ = new QLineEdit(grid_->viewport());
    hexEdit_->setObjectName("hexEdit");
    hexEdit_->setMaxLength(8);
    for (QLineEdit* e : {decimalEdit_, hexEdit_}) {
        e->hide();
        e->setAlignment(Qt::AlignCenter);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, &CTervikView::onEdited);
        connect(e, &QLineEdit::returnPressed, this, &CTervikView::onUpdate);
    }

    auto* limits = new QGridLayout;
    limits->addWidget(new QLabel("Maximum Value"), 0, 0);
    maximum_ = field("maximum", 80);
    maximumUnit_ = field("maximumUnit", 60);
    limits->addWidget(maximum_, 0, 1);
    limits->addWidget(maximumUnit_, 0, 2);
    limits->addWidget(new QLabel("Minimum Value"), 1, 0);
    minimum_ = field("minimum", 80);
    minimumUnit_ = field("minimumUnit", 60);
    limits->addWidget(minimum_, 1, 1);
    limits->addWidget(minimumUnit_, 1, 2);
    limits->addWidget(new QLabel("Set Value"), 0, 3);
    prompt_ = new QLabel;
    prompt_->setObjectName("prompt");
    // Wide enough for either prompt, so "Update" does not move when it changes.
    prompt_->setMinimumWidth(prompt_->fontMetrics().horizontalAdvance("Enter  HEXADECIMAL value") + 8);
    limits->addWidget(prompt_, 1, 3);
    update_ = new QPushButton("Update");
    update_->setObjectName("update");
    limits->addWidget(update_, 0, 4, 2, 1, Qt::AlignLeft | Qt::AlignVCenter);
    // Spare width goes after "Update", which stays beside the Set Value fields.
    limits->setColumnStretch(5, 1);
    top->addLayout(limits);
    top->addWidget(new QLabel("Use the 'Download Single Parameter' button to download the new Set Value in the "
                              "connected device."));
    // Spare height goes below the form, not into its fields.
    top->addStretch(1);

    connect(tabs_, &QTabBar::currentChanged, this, &CTervikView::onTabChanged);
    connect(grid_, &CMSHFlexGrid::click, this, &CTervikView::onGridClick);
    connect(grid_, &CMSHFlexGrid::keyDown, this, &CTervikView::onGridKey);
    connect(update_, &QPushButton::clicked, this, &CTervikView::onUpdate);
}

// ---- showing the view --------------------------------------------------------

void CTervikView::refresh()
{
    const CTervikDoc::View& v = doc_->view();
    filling_ = true;
    version_->setText(utf8Text(v.versionText));
    parameterSet_->setText(utf8Text(v.parameterSet));
    status_->setText(utf8Text(v.status));
    QStringList shown;
    for (int i = 0; i < tabs_->count(); ++i) shown << tabs_->tabText(i);
    QStringList wanted;
    for (const auto& t : v.tabs) wanted << utf8Text(t);
    if (shown != wanted) {
        while (tabs_->count() > 0) tabs_->removeTab(0);
        for (const QString& t : wanted) tabs_->addTab(t);
    }
    if (v.currentTab >= 0) tabs_->setCurrentIndex(v.currentTab);
    groupTitle_->setText(utf8Text(v.groupTitle));
    fillGrid();
    maximum_->setText(utf8Text(v.maximum));
    minimum_->setText(utf8Text(v.minimum));
    maximumUnit_->setText(utf8Text(v.unit));
    minimumUnit_->setText(utf8Text(v.unit));
    prompt_->setText(utf8Text(v.prompt));
    update_->setEnabled(v.updateEnabled);
    placeEditBox();
    filling_ = false;
    const QString title = utf8Text(v.windowTitle);
    if (windowTitle() != title) {
        setWindowTitle(title);
        emit titleChanged(title);
    }
}

void CTervikView::reload()
{
    doc_->refill();
    refresh();
}

void CTervikView::fillGrid()
{
    const CTervikDoc::View& v = doc_->view();
    const int row = grid_->row(), col = grid_->col();
    for (int r = 1; r <= CTervikDoc::kGridRows; ++r) {
        const ListRow* data = r <= static_cast<int>(v.rows.size()) ? &v.rows[static_cast<std::size_t>(r - 1)] : nullptr;
        const std::string texts[] = {data ? data->no : "", data ? data->parameter : "", data ? data->value : "",
                                     data ? data->unit : "", data ? data->type : ""};
        grid_->setRow(r);
        for (int c = 0; c < 5; ++c) {
            grid_->setTextMatrix(r, c, utf8Text(texts[c]));
            grid_->setCol(c);
            grid_->setCellBackColor(r == v.selectedRow ? kHighlight : kWhite);
        }
    }
    if (v.emptyPage) {
        grid_->setTextMatrix(CTervikDoc::kEmptyRow, 1, "EMPTY");
        grid_->setTextMatrix(CTervikDoc::kEmptyRow, kValueColumn, "LIST");
    }
    grid_->setRow(v.selectedRow > 0 ? v.selectedRow : row);
    grid_->setCol(v.selectedRow > 0 ? col : 0);
}

void CTervikView::placeEditBox()
{
    const CTervikDoc::View& v = doc_->view();
    QLineEdit* shown = activeEdit();
    for (QLineEdit* e : {decimalEdit_, hexEdit_})
        if (e != shown) e->hide();
    if (!shown) return;
    grid_->setRow(v.selectedRow);
    grid_->setCol(kValueColumn);
    // The edit box is a child of the viewport; the cell rectangle is the grid's.
    const QRect cell = grid_->cellRect().translated(-grid_->viewport()->pos());
    shown->setGeometry(cell.x(), cell.y(), cell.width() - 2, cell.height() - 2);
    if (shown->text() != utf8Text(v.editText)) shown->setText(utf8Text(v.editText));
    shown->show();
    shown->raise();
}

QLineEdit* CTervikView::activeEdit() const
{
    switch (doc_->view().editBox) {
    case EditBox::Decimal: return decimalEdit_;
    case EditBox::Hexadecimal: return hexEdit_;
    default: return nullptr;
    }
}

void CTervikView::showNotices(const std::vector<platform::Notice>& notices)
{
    // The status timer must not tick into an open message box.
    statusTimer_->stop();
    for (const auto& n : notices) platform::show(n);
    statusTimer_->start();
}

// ---- user actions ------------------------------------------------------------

void CTervikView::onTabChanged(int index)
{
    if (filling_ || index < 0) return;
    doc_->selectTab(index);
    refresh();
    tabs_->setFocus();
}

void CTervikView::selectRow(int row, bool editRequested, const QString& typed)
{
    const auto notices = doc_->selectRow(row, editRequested);
    refresh();
    showNotices(notices);
    if (QLineEdit* e = activeEdit()) {
        if (!typed.isEmpty()) {
            e->setText(typed);
            e->setCursorPosition(static_cast<int>(typed.size()));
            onEdited(typed);
        }
        e->setFocus();
    } else {
        grid_->setFocus();
    }
}

void CTervikView::onGridClick() { selectRow(grid_->row(), grid_->col() == kValueColumn); }

void CTervikView::onGridKey(int key, int /*shift*/)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        doc_->stepTab(key == Qt::Key_Left ? -1 : 1);
        refresh();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // The grid moves its current row after this event.
        QTimer::singleShot(0, this, [this] { selectRow(grid_->row(), false); });
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: selectRow(grid_->row(), true); return;
    case Qt::Key_Escape:
        showNotices(doc_->cancelEdit());
        refresh();
        return;
    default: break;
    }
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    const bool hexLetter = key >= Qt::Key_A && key <= Qt::Key_F;
    if (digit || hexLetter) selectRow(grid_->row(), true, QString(QChar(key)));
}

void CTervikView::onEdited(const QString& text)
{
    doc_->editTextChanged(text.toStdString());
    update_->setEnabled(doc_->view().updateEnabled);
}

void CTervikView::onUpdate()
{
    if (!doc_->view().updateEnabled) return;
    statusTimer_->stop();
    if (const auto before = doc_->noticeBeforeUpdate()) platform::show(*before);
    // The download holds the user-interface thread: the wait cursor says so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const CTervikDoc::UpdateResult r = doc_->update();
    QApplication::restoreOverrideCursor();
    refresh();
    for (const auto& n : r.notices) platform::show(n);
    if (r.warmUp) CWarmUpDlg::run(QString::fromStdString(r.warmUpTitle), this);
    statusTimer_->start();
    grid_->setFocus();
}

void CTervikView::onStatusTimer()
{
    doc_->tickStatus(!scanEnabled_ || scanEnabled_());
    status_->setText(utf8Text(doc_->view().status));
}

// ---- commands and closing ----------------------------------------------------

bool CTervikView::onCommand(int id)
{
    switch (id) {
    case cmd::FileSave: doc_->save(); break;
    case cmd::FileSaveAs:
        if (doc_->saveAs() == SaveResult::Saved && recent_) recent_(doc_->filePath());
        break;
    case cmd::HelpParameter:
        if (!help_) return false;
        help_(doc_->helpFileName());
        return true;
    case cmd::FileClose:
        if (QWidget* frame = parentWidget()) frame->close();
        else close();
        return true;
    default: return false;
    }
    refresh();
    return true;
}

std::optional<bool> CTervikView::commandEnabled(int id) const
{
    const CTervikDoc::View& v = doc_->view();
    switch (id) {
    case cmd::FileSave:
    case cmd::FileSaveAs:
    case cmd::FileClose: return true;
    case cmd::FileCompareWith: return v.compareEnabled;
    case cmd::FileConvertTo: return v.convertEnabled;
    case cmd::CustomCompareWith: return v.customCompareEnabled;
    case cmd::CustomConvertTo: return v.customConvertEnabled;
    case cmd::FaultHistory: return v.faultHistoryEnabled;
    default: return std::nullopt;
    }
}

std::optional<std::string> CTervikView::commandText(int id) const
{
    if (id == cmd::FileClose) return doc_->view().closeText;
    return std::nullopt;
}

bool CTervikView::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == decimalEdit_ || watched == hexEdit_) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        showNotices(doc_->cancelEdit());
        refresh();
        grid_->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CTervikView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void CTervikView::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    statusTimer_->stop();
    const CloseAction action = doc_->close([this](const std::string& message, bool saving) {
        return CCloseOptionsDlg::ask(message, saving, this);
    });
    refresh();
    if (action == CloseAction::Keep) {
        statusTimer_->start();
        event->ignore();
        return;
    }
    closing_ = true;
    event->accept();
}

}  // namespace kestrel
