#include <kestrel/ui/CKeypadDlg.h>

#include <kestrel/ui/KeypadImages.h>
#include <platform/Notice.h>

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kestrel {

using K = CKeypadControl;

CKeypadDlg::CKeypadDlg(CTelegram& telegram, QWidget* parent) : QDialog(parent), model_(telegram)
{
    setObjectName("keypadDialog");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* top = new QVBoxLayout(this);
    auto* upper = new QHBoxLayout;
    upper->addWidget(buildControlType());
    upper->addWidget(buildControls(), 1);
    upper->addWidget(addPushButton(Button::ErrorReset, tr("Error Reset"), this));
    top->addLayout(upper);
    top->addWidget(buildSetpoint());
    top->addLayout(buildStatusRow());
    setMinimumWidth(440);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &CKeypadDlg::onTick);
    // The opening reads run on the first tick, once the window is up; a
    // line held by another operation only delays them.
    timer_->start(0);
    setWindowTitle(QString::fromStdString("Keypad Controls - Addr. : " + model_.deviceAddress()));
    refresh();
}

CKeypadDlg::~CKeypadDlg() = default;

QPushButton* CKeypadDlg::addPushButton(Button which, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString(text).remove(' ').toLower());
    connect(b, &QPushButton::clicked, this, [this, which] { press(which); });
    buttons_[which] = b;
    return b;
}

QRadioButton* CKeypadDlg::addRadioButton(Button which, const QString& text, QWidget* parent)
{
    auto* b = new QRadioButton(text, parent);
    // The model decides which radio is checked.
    b->setAutoExclusive(false);
    connect(b, &QRadioButton::clicked, this, [this, which] { press(which); });
    buttons_[which] = b;
    return b;
}

QGroupBox* CKeypadDlg::buildControlType()
{
    auto* box = new QGroupBox(tr("Control Type"), this);
    auto* column = new QVBoxLayout(box);
    column->addWidget(addRadioButton(Button::Standard, tr("Standard"), box));
    column->addWidget(addRadioButton(Button::Broadcast, tr("Broadcast"), box));
    return box;
}

QGroupBox* CKeypadDlg::buildControls()
{
    auto* box = new QGroupBox(tr("Controls"), this);
    auto* row = new QHBoxLayout(box);
    const std::pair<Button, const char*> run[] = {{Button::Fwd, "FWD"}, {Button::Rev, "REV"}, {Button::Stop, "STOP"}};
    for (const auto& [which, text] : run) {
        QPushButton* b = addPushButton(which, tr(text), box);
        b->setIconSize(QSize(14, 14));
        row->addWidget(b);
    }
    return box;
}

QGroupBox* CKeypadDlg::buildSetpoint()
{
    auto* box = new QGroupBox(tr("Setpoint"), this);
    auto* grid = new QGridLayout(box);
    p31_ = new QLineEdit(box);
    p31_->setReadOnly(true);
    setpoint_ = new QLineEdit(box);
    setpoint_->setObjectName("edit1040");
    // The model holds the field's text; INC, DEC and Download parse it.
    connect(setpoint_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.SetSetpointText(text.toStdString()); });
    grid->addWidget(addRadioButton(Button::SourceInitial, tr("Initial Setpoint Source"), box), 0, 0);
    grid->addWidget(new QLabel(tr("P31  =  "), box), 0, 1);
    grid->addWidget(p31_, 0, 2);
    grid->addWidget(addRadioButton(Button::SourceSio, tr("F-EXT1 (SIO)    [Para 3A]"), box), 1, 0);
    grid->addWidget(setpoint_, 1, 2);
    grid->addWidget(new QLabel(tr("Hz"), box), 1, 3);
    auto* steps = new QHBoxLayout;
    steps->addWidget(addPushButton(Button::Inc, tr("INC"), box));
    steps->addWidget(addPushButton(Button::Dec, tr("DEC"), box));
    steps->addWidget(addPushButton(Button::Download, tr("Download"), box));
    grid->addLayout(steps, 2, 0, 1, 4);
    return box;
}

QLayout* CKeypadDlg::buildStatusRow()
{
    auto* row = new QHBoxLayout;
    status_ = new QLineEdit(this);
    status_->setObjectName("edit1091");
    status_->setReadOnly(true);
    close_ = new QPushButton(tr("CLOSE"), this);
    close_->setObjectName("closeButton");
    connect(close_, &QPushButton::clicked, this, [this] { model_.RequestClose(); });
    row->addWidget(status_, 1);
    row->addWidget(close_);
    return row;
}

bool CKeypadDlg::windowActive() const
{
    return activeOverride_ >= 0 ? activeOverride_ == 1 : isActiveWindow();
}

void CKeypadDlg::showNotices(const std::vector<platform::Notice>& notices)
{
    // A box is open: no poll meanwhile.
    const bool wasRunning = timer_->isActive();
    timer_->stop();
    for (const auto& n : notices)
        platform::show(n);
    if (wasRunning)
        timer_->start(K::kPollMs);
}

void CKeypadDlg::press(Button which)
{
    if (!opened_)
        return;
    model_.SetSetpointText(setpoint_->text().toStdString());
    showNotices(model_.Press(which));
    refresh();
}

void CKeypadDlg::onTick()
{
    if (!opened_) {
        std::vector<platform::Notice> notices;
        opened_ = model_.Open(notices);
        if (opened_)
            setWindowTitle(QString::fromStdString(model_.view().title));
        showNotices(notices);
    } else {
        const auto r = model_.Tick(windowActive());
        showNotices(r.notices);
        if (r.destroy) {
            closing_ = true;
            close();
            return;
        }
    }
    refresh();
    // The next poll is due 100 ms after this one ended, never while it runs.
    timer_->start(K::kPollMs);
}

void CKeypadDlg::refresh()
{
    const auto& v = model_.view();
    status_->setText(QString::fromStdString(v.statusLine));
    p31_->setText(QString::fromStdString(v.p31Text));
    buttons_[Button::Fwd]->setIcon(keypadIcon(v.fwdIcon));
    buttons_[Button::Rev]->setIcon(keypadIcon(v.revIcon));
    buttons_[Button::Stop]->setIcon(keypadIcon(v.stopIcon));
    buttons_[Button::ErrorReset]->setEnabled(v.errorResetEnabled);
    buttons_[Button::Standard]->setChecked(v.controlType == K::ControlType::Standard);
    buttons_[Button::Broadcast]->setChecked(v.controlType == K::ControlType::Broadcast);
    buttons_[Button::SourceInitial]->setChecked(!v.sioSourceChecked && v.sourceRadiosEnabled);
    buttons_[Button::SourceSio]->setChecked(v.sioSourceChecked);
    buttons_[Button::SourceInitial]->setEnabled(v.sourceRadiosEnabled);
    buttons_[Button::SourceSio]->setEnabled(v.sourceRadiosEnabled);
    setpoint_->setReadOnly(!v.setpointEditable);
    // The field keeps what the user is typing: the model holds that text.
    const QString setpoint = QString::fromStdString(v.setpointText);
    if (setpoint_->text() != setpoint)
        setpoint_->setText(setpoint);
    for (Button b : {Button::Inc, Button::Dec})
        buttons_[b]->setEnabled(v.incDecEnabled);
    buttons_[Button::Download]->setEnabled(v.downloadEnabled);
}

void CKeypadDlg::closeEvent(QCloseEvent* event)
{
    if (closing_ || !opened_) {
        event->accept();
        return;
    }
    // The close check needs the drive's state: the next tick decides.
    model_.RequestClose();
    event->ignore();
}

}  // namespace kestrel
