#include <kestrel/ui/CNetworkDlg.h>

#include <kestrel/core/KestrelState.h>
#include <kestrel/ui/GridFit.h>
#include <shell/CMSHFlexGrid.h>
#include <kestrel/ui/CExamDlg.h>
#include <platform/Notice.h>
#include <plumage/plumage.h>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kestrel {

namespace {
void showAll(const std::vector<platform::Notice>& notices)
{
    for (const auto& n : notices)
        platform::show(n);
}
}  // namespace

CNetworkDlg::CNetworkDlg(CTelegram& telegram, bool selectionMode, QWidget* parent)
    : QDialog(parent), telegram_(telegram), model_(telegram, getCompanyName(), getInverterName(), selectionMode)
{
    setObjectName("networkDialog");
    setWindowTitle(QString::fromStdString(model_.view().title));
    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel(tr("Below is the list of devices which are currently connected to the network."), this));
    grid_ = new shell::CMSHFlexGrid(this, 9, 4);
    grid_->setObjectName("grid1010");
    for (int c = 0; c < 4; ++c) {
        grid_->setColWidth(c, NetworkDialogModel::kColumnWidths[static_cast<size_t>(c)]);
        grid_->setColAlignment(c, shell::CMSHFlexGrid::AlignCenterTop);
    }
    grid_->setMinimumHeight(220);
    top->addWidget(grid_);

    auto* middle = new QHBoxLayout;
    auto* nameBox = new QGroupBox(tr("Device Name"), this);
    auto* nameLayout = new QHBoxLayout(nameBox);
    name_ = new QLineEdit(nameBox);
    name_->setObjectName("edit1073");
    name_->setMaxLength(static_cast<int>(CDeviceTable::kMaxName));
    changeName_ = new QPushButton(tr("Change Name"), nameBox);
    cancel_ = new QPushButton(tr("Cancel"), nameBox);
    nameLayout->addWidget(name_, 1);
    nameLayout->addWidget(changeName_);
    nameLayout->addWidget(cancel_);
    middle->addWidget(nameBox, 1);
    auto* refreshBox = new QGroupBox(tr("Refresh Network List"), this);
    auto* refreshLayout = new QHBoxLayout(refreshBox);
    auto* check = new QPushButton(tr("Check  Network"), refreshBox);
    refreshLayout->addWidget(check);
    middle->addWidget(refreshBox);
    top->addLayout(middle);

    auto* buttons = new QHBoxLayout;
    connect_ = new QPushButton(tr("Connect"), this);
    quick_ = new QPushButton(tr("Quick Connect"), this);
    auto* close = new QPushButton(tr("Close"), this);
    connect_->setObjectName("connectButton");
    quick_->setObjectName("quickConnectButton");
    close->setObjectName("closeButton");
    buttons->addStretch();
    buttons->addWidget(connect_);
    buttons->addWidget(quick_);
    buttons->addWidget(close);
    top->addLayout(buttons);

    connect(connect_, &QPushButton::clicked, this, [this] { onConnect(false); });
    connect(quick_, &QPushButton::clicked, this, [this] { onConnect(true); });
    connect(close, &QPushButton::clicked, this, &CNetworkDlg::reject);
    connect(check, &QPushButton::clicked, this, &CNetworkDlg::onCheckNetwork);
    connect(changeName_, &QPushButton::clicked, this, &CNetworkDlg::onChangeName);
    connect(cancel_, &QPushButton::clicked, this, &CNetworkDlg::onCancel);
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) { typeName(t); });
    connect(grid_, &shell::CMSHFlexGrid::click, this, [this] { selectRow(grid_->row() - 1); });
    // The arrow keys move the grid's cursor; the selection follows it.
    connect(grid_, &shell::CMSHFlexGrid::selChange, this, [this] {
        if (!refreshing_ && grid_->row() - 1 != model_.view().selected) selectRow(grid_->row() - 1);
    });
    name_->installEventFilter(this);

    model_.Load();
    refresh();
    resize(std::max(560, grid_->minimumWidth() + 24), 420);
}

void CNetworkDlg::refresh()
{
    refreshing_ = true;
    const auto& v = model_.view();
    grid_->clearCells();
    grid_->setRows(std::max(9, static_cast<int>(v.rows.size()) + 1));
    for (int c = 0; c < 4; ++c)
        grid_->setTextMatrix(0, c, NetworkDialogModel::kHeaders[static_cast<size_t>(c)]);
    for (size_t r = 0; r < v.rows.size(); ++r) {
        const int row = static_cast<int>(r) + 1;
        for (int c = 0; c < 4; ++c) {
            grid_->setTextMatrix(row, c, QString::fromStdString(v.rows[r].cells[static_cast<size_t>(c)]));
            grid_->setRow(row);
            grid_->setCol(c);
            grid_->setCellBackColor(v.rows[r].background);
        }
    }
    grid_->setMinimumWidth(fitColumns(*grid_));
    if (v.selected >= 0) {
        grid_->setRow(v.selected + 1);
        grid_->setCol(0);
    }
    if (name_->text().toStdString() != v.nameEdit)
        name_->setText(QString::fromStdString(v.nameEdit));
    name_->setEnabled(v.nameEditEnabled);
    changeName_->setEnabled(v.changeNameEnabled);
    cancel_->setEnabled(v.cancelEnabled);
    connect_->setDefault(v.connectDefault);
    changeName_->setDefault(!v.connectDefault);
    refreshing_ = false;
}

void CNetworkDlg::selectRow(int row)
{
    model_.Select(row);
    refresh();
}

void CNetworkDlg::typeName(const QString& name)
{
    if (refreshing_)
        return;
    model_.EditName(name.toStdString());
    refresh();
}

void CNetworkDlg::onChangeName()
{
    if (auto n = model_.ChangeName())
        platform::show(*n);
    refresh();
    grid_->setFocus();
}

void CNetworkDlg::onCancel()
{
    model_.Cancel();
    refresh();
}

void CNetworkDlg::onCheckNetwork()
{
    CExamDlg exam(telegram_, this);
    connect(&exam, &CExamDlg::statusText, this, &CNetworkDlg::statusText);
    const int result = exam.exec();
    // The examination's own messages, without the one the grid gives below.
    std::vector<platform::Notice> notices = exam.model().notices();
    if (!notices.empty() && notices.back() == ExaminationModel::noDeviceNotice())
        notices.pop_back();
    showAll(notices);
    if (auto n = model_.AfterCheckNetwork(result))
        platform::show(*n);
    refresh();
    grid_->setFocus();
}

void CNetworkDlg::onConnect(bool quick)
{
    result_ = model_.Connect(quick);
    if (result_.notice)
        platform::show(*result_.notice);
    if (!result_.closeDialog)
        return;
    if (!model_.selectionMode() && runConnection_) {
        runConnection_(result_.next, result_.job);
        result_.next = ConnectPlan::Nothing;  // done: nothing left for the caller
    }
    accept();
}

bool CNetworkDlg::eventFilter(QObject* watched, QEvent* event)
{
    // A mouse click would place the caret after the focus event; the
    // selection is made once that is done.
    if (watched == name_ && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, name_, [this] { name_->selectAll(); });
    return QDialog::eventFilter(watched, event);
}

void CNetworkDlg::reject()
{
    model_.Close();
    result_ = {};
    QDialog::reject();
}

}  // namespace kestrel
