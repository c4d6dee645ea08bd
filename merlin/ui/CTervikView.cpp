#include <merlin/ui/CTervikView.h>

#include <merlin/ui/Notices.h>

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace merlin::ui {

namespace {

QLineEdit* readOnlyField(QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

// Grid column widths in twips: register, name, value, unit, access.
constexpr int kColumnTwips[ParameterView::kColumns] = {600, 3600, 1500, 800, 600};

}  // namespace

CTervikView::CTervikView(MerlinDocument& document, std::unique_ptr<CModbusLink> link, QWidget* parent)
    : QWidget(parent), document_(document), link_(std::move(link))
{
    model_ = std::make_unique<ParameterView>(document_.set(), *link_, document_.title(), document_.modified);
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &CTervikView::onTick);
    buildForm();
    render();
}

CTervikView::~CTervikView()
{
    timer_->stop();
    model_.reset();  // closes the link before it goes
}

void CTervikView::buildForm()
{
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabBar(this);
    tabs_->setExpanding(false);
    tabs_->setUsesScrollButtons(true);
    layout->addWidget(tabs_);
    groupTitle_ = readOnlyField(this);
    layout->addWidget(groupTitle_);

    auto* middle = new QHBoxLayout;
    grid_ = new Grid(this, ParameterView::kMinimumRows + 1, ParameterView::kColumns);
    for (int c = 0; c < ParameterView::kColumns; ++c)
        grid_->setColWidth(c, kColumnTwips[c]);
    middle->addWidget(grid_, 1);

    auto* details = new QGridLayout;
    int r = 0;
    maximum_ = readOnlyField(this);
    maximumUnit_ = readOnlyField(this);
    minimum_ = readOnlyField(this);
    minimumUnit_ = readOnlyField(this);
    default_ = readOnlyField(this);
    details->addWidget(new QLabel(tr("Maximum:"), this), r, 0);
    details->addWidget(maximum_, r, 1);
    details->addWidget(maximumUnit_, r++, 2);
    details->addWidget(new QLabel(tr("Minimum:"), this), r, 0);
    details->addWidget(minimum_, r, 1);
    details->addWidget(minimumUnit_, r++, 2);
    details->addWidget(new QLabel(tr("Default:"), this), r, 0);
    details->addWidget(default_, r++, 1, 1, 2);
    prompt_ = new QLabel(this);
    details->addWidget(prompt_, r++, 0, 1, 3);
    entry_ = new QLineEdit(this);
    details->addWidget(entry_, r++, 0, 1, 3);
    choices_ = new QListWidget(this);
    details->addWidget(choices_, r++, 0, 1, 3);
    update_ = new QPushButton(tr("Update"), this);
    details->addWidget(update_, r++, 0, 1, 3);
    details->setRowStretch(r++, 1);
    version_ = readOnlyField(this);
    status_ = readOnlyField(this);
    driveName_ = readOnlyField(this);
    position_ = readOnlyField(this);
    details->addWidget(new QLabel(tr("Inverter Software Version:"), this), r++, 0, 1, 3);
    details->addWidget(version_, r++, 0, 1, 3);
    details->addWidget(new QLabel(tr("DEVICE STATUS"), this), r, 0);
    details->addWidget(status_, r++, 1, 1, 2);
    details->addWidget(new QLabel(tr("Drive Name:"), this), r, 0);
    details->addWidget(driveName_, r++, 1, 1, 2);
    details->addWidget(position_, r++, 1, 1, 2);
    auto* detailBox = new QWidget(this);
    detailBox->setLayout(details);
    detailBox->setFixedWidth(260);
    middle->addWidget(detailBox);
    layout->addLayout(middle, 1);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (rendering_ || index < 0)
            return;
        model_->SelectGroup(index);
        render();
    });
    connect(grid_, &Grid::selChange, this, &CTervikView::onGridMoved);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { beginEdit(row); });
    connect(grid_, &Grid::keyDown, this, [this](int key, int) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            beginEdit(grid_->row());
    });
    connect(entry_, &QLineEdit::returnPressed, this, &CTervikView::confirmEntry);
    connect(choices_, &QListWidget::itemActivated, this, [this] { confirmEntry(); });
    connect(update_, &QPushButton::clicked, this, &CTervikView::confirmEntry);
    entry_->installEventFilter(this);
    choices_->installEventFilter(this);
}

void CTervikView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    const auto notices = model_->Show();
    render();
    showNotices(notices);
    timer_->start(ParameterView::kFirstScanMs);
}

bool CTervikView::eventFilter(QObject* watched, QEvent* event)
{
    // Escape leaves the entry without storing anything.
    if ((watched == entry_ || watched == choices_) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        model_->CancelEdit();
        render();
        grid_->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString CTervikView::statusText() const
{
    return status_->text();
}

QString CTervikView::groupTitle() const
{
    return groupTitle_->text();
}

void CTervikView::documentChanged()
{
    model_->SetDocumentTitle(document_.title());
    model_->Refresh();
    render();
}

void CTervikView::showNotices(const std::vector<platform::Notice>& notices)
{
    if (notices.empty())
        return;
    const bool running = timer_->isActive();
    timer_->stop();
    ui::showNotices(notices);
    if (running || shown_)
        timer_->start(ParameterView::kActiveScanMs);
}

void CTervikView::onGridMoved()
{
    model_->SelectRow(grid_->row() - 1);
    render();
}

void CTervikView::beginEdit(int gridRow)
{
    const auto notices = model_->BeginEdit(gridRow - 1);
    render();
    showNotices(notices);
    const auto& v = model_->view();
    if (!v.editing)
        return;
    if (v.editState == ParameterView::EditState::Numeric) {
        entry_->setFocus();
        entry_->selectAll();
    } else {
        choices_->setFocus();
    }
}

void CTervikView::confirmEntry()
{
    const auto& v = model_->view();
    if (!v.editing)
        return;
    const auto notices = v.editState == ParameterView::EditState::Choice
                             ? model_->ConfirmChoice(choices_->currentRow())
                             : model_->ConfirmNumeric(entry_->text().toStdString());
    render();
    emit modifiedChanged();
    showNotices(notices);
    grid_->setFocus();
}

void CTervikView::onTick()
{
    const bool active = activeCheck_ ? activeCheck_() : true;
    const int period = model_->Tick(active);
    render();
    timer_->start(period < 0 ? ParameterView::kActiveScanMs : period);
}

void CTervikView::render()
{
    rendering_ = true;
    const auto& v = model_->view();
    if (tabs_->count() != static_cast<int>(v.tabs.size())) {
        while (tabs_->count() > 0)
            tabs_->removeTab(0);
        for (const std::string& tab : v.tabs)
            tabs_->addTab(QString::fromStdString(tab));
    } else {
        for (int t = 0; t < tabs_->count(); ++t)
            tabs_->setTabText(t, QString::fromStdString(v.tabs[t]));
    }
    tabs_->setCurrentIndex(v.group);
    groupTitle_->setText(QString::fromStdString(v.groupTitle));

    const int rows = static_cast<int>(v.rows.size()) + 1;
    if (grid_->rows() != rows)
        grid_->setRows(rows);
    for (int c = 0; c < ParameterView::kColumns; ++c)
        grid_->setTextMatrix(0, c, QString::fromStdString(v.headers[c]));
    const int keepRow = grid_->row(), keepCol = grid_->col();
    for (int r = 0; r + 1 < rows; ++r) {
        const ParameterView::Row& row = v.rows[r];
        for (int c = 0; c < ParameterView::kColumns; ++c) {
            const QString text = QString::fromStdString(row.cells[c]);
            if (grid_->textMatrix(r + 1, c) != text)
                grid_->setTextMatrix(r + 1, c, text);
            if (grid_->item(r + 1, c) == nullptr ||
                grid_->item(r + 1, c)->background().color() != Grid::fromColorRef(row.colour)) {
                grid_->setRow(r + 1);
                grid_->setCol(c);
                grid_->setCellBackColor(row.colour);
            }
        }
    }
    grid_->setRow(std::min(std::max(keepRow, 1), rows - 1));
    grid_->setCol(keepCol);

    maximum_->setText(QString::fromStdString(v.maximum));
    minimum_->setText(QString::fromStdString(v.minimum));
    maximumUnit_->setText(QString::fromStdString(v.unit));
    minimumUnit_->setText(QString::fromStdString(v.unit));
    default_->setText(QString::fromStdString(v.defaultText));
    prompt_->setText(QString::fromStdString(v.entryPrompt));
    entry_->setVisible(v.numericEntryVisible);
    entry_->setReadOnly(!v.editing);
    if (!v.editing || !entry_->hasFocus())
        entry_->setText(QString::fromStdString(v.entryText));
    choices_->setVisible(v.choiceEntryVisible);
    QStringList choiceTexts;
    for (const std::string& c : v.choices)
        choiceTexts << QString::fromStdString(c);
    QStringList current;
    for (int i = 0; i < choices_->count(); ++i)
        current << choices_->item(i)->text();
    if (current != choiceTexts) {
        choices_->clear();
        choices_->addItems(choiceTexts);
    }
    if (!v.editing || !choices_->hasFocus())
        choices_->setCurrentRow(v.choiceIndex);
    update_->setEnabled(v.updateEnabled);
    version_->setText(QString::fromStdString(v.softwareVersion));
    status_->setText(QString::fromStdString(v.deviceStatus));
    driveName_->setText(QString::fromStdString(v.driveName));
    position_->setText(QString::fromStdString(v.position));
    const QString title = QString::fromStdString(v.title) + (document_.modified ? "*" : "");
    if (title != lastTitle_) {
        lastTitle_ = title;
        setWindowTitle(QString::fromStdString(v.title) + "[*]");
        setWindowModified(document_.modified);
        emit titleChanged(QString::fromStdString(v.title));
    }
    rendering_ = false;
}

}  // namespace merlin::ui
