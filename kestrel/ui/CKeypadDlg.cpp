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
    build();
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &CKeypadDlg::onTick);
    // The opening reads run on the first tick, once the window is up; a
    // line held by another operation only delays them.
    timer_->start(0);
    setWindowTitle(QString::fromStdString("Keypad Controls - Addr. : " + model_.deviceAddress()));
}

CKeypadDlg::~CKeypadDlg() = default;

void CKeypadDlg::build()
{
    auto* top = new QVBoxLayout(this);
    auto* upper = new QHBoxLayout;

    auto* typeBox = new QGroupBox(tr("Control Type"), this);
    auto* typeLayout = new QVBoxLayout(typeBox);
    standard_ = new QRadioButton(tr("Standard"), typeBox);
    broadcast_ = new QRadioButton(tr("Broadcast"), typeBox);
    standard_->setChecked(true);
    typeLayout->addWidget(standard_);
    typeLayout->addWidget(broadcast_);
    upper->addWidget(typeBox);

    auto* controls = new QGroupBox(tr("Controls"), this);
    auto* cl = new QHBoxLayout(controls);
    fwd_ = new QPushButton(tr("FWD"), controls);
    rev_ = new QPushButton(tr("REV"), controls);
    stop_ = new QPushButton(tr("STOP"), controls);
    for (QPushButton* b : {fwd_, rev_, stop_}) {
        b->setIconSize(QSize(14, 14));
        cl->addWidget(b);
    }
    upper->addWidget(controls, 1);
    reset_ = new QPushButton(tr("Error Reset"), this);
    upper->addWidget(reset_);
    top->addLayout(upper);

    auto* source = new QGroupBox(tr("Setpoint"), this);
    auto* sl = new QGridLayout(source);
    initial_ = new QRadioButton(tr("Initial Setpoint Source"), source);
    sio_ = new QRadioButton(tr("F-EXT1 (SIO)    [Para 3A]"), source);
    initial_->setAutoExclusive(false);
    sio_->setAutoExclusive(false);
    p31_ = new QLineEdit(source);
    p31_->setReadOnly(true);
    setpoint_ = new QLineEdit(source);
    setpoint_->setObjectName("edit1040");
    inc_ = new QPushButton(tr("INC"), source);
    dec_ = new QPushButton(tr("DEC"), source);
    download_ = new QPushButton(tr("Download"), source);
    sl->addWidget(initial_, 0, 0);
    sl->addWidget(new QLabel(tr("P31  =  "), source), 0, 1);
    sl->addWidget(p31_, 0, 2);
    sl->addWidget(sio_, 1, 0);
    sl->addWidget(setpoint_, 1, 2);
    sl->addWidget(new QLabel(tr("Hz"), source), 1, 3);
    auto* steps = new QHBoxLayout;
    steps->addWidget(inc_);
    steps->addWidget(dec_);
    steps->addWidget(download_);
    sl->addLayout(steps, 2, 0, 1, 4);
    top->addWidget(source);

    auto* bottom = new QHBoxLayout;
    status_ = new QLineEdit(this);
    status_->setObjectName("edit1091");
    status_->setReadOnly(true);
    auto* close = new QPushButton(tr("CLOSE"), this);
    close->setObjectName("closeButton");
    bottom->addWidget(status_, 1);
    bottom->addWidget(close);
    top->addLayout(bottom);

    connect(fwd_, &QPushButton::clicked, this, [this] { press("FWD"); });
    connect(rev_, &QPushButton::clicked, this, [this] { press("REV"); });
    connect(stop_, &QPushButton::clicked, this, [this] { press("STOP"); });
    connect(reset_, &QPushButton::clicked, this, [this] { press("Error Reset"); });
    connect(inc_, &QPushButton::clicked, this, [this] { press("INC"); });
    connect(dec_, &QPushButton::clicked, this, [this] { press("DEC"); });
    connect(download_, &QPushButton::clicked, this, [this] { press("Download"); });
    connect(initial_, &QRadioButton::clicked, this, [this] { press("Initial Setpoint Source"); });
    connect(sio_, &QRadioButton::clicked, this, [this] { press("F-EXT1 (SIO)"); });
    connect(standard_, &QRadioButton::clicked, this, [this] { press("Standard"); });
    connect(broadcast_, &QRadioButton::clicked, this, [this] { press("Broadcast"); });
    connect(close, &QPushButton::clicked, this, [this] { model_.RequestClose(); });
    setMinimumWidth(440);
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
        timer_->start(1);
}

void CKeypadDlg::takeSetpoint()
{
    bool ok = false;
    const float v = setpoint_->text().trimmed().toFloat(&ok);
    model_.SetSetpoint(ok ? v : 0.0f);
}

void CKeypadDlg::typeSetpoint(const QString& text)
{
    setpoint_->setText(text);
}

void CKeypadDlg::press(const QString& caption)
{
    if (!opened_)
        return;
    std::vector<platform::Notice> n;
    if (caption == "FWD") n = model_.Run(K::Fwd);
    else if (caption == "REV") n = model_.Run(K::Rev);
    else if (caption == "STOP") n = model_.Run(K::Stop);
    else if (caption == "Error Reset") n = model_.ErrorReset();
    else if (caption == "INC") { takeSetpoint(); model_.Increment(); }
    else if (caption == "DEC") { takeSetpoint(); model_.Decrement(); }
    else if (caption == "Download") { takeSetpoint(); n = model_.DownloadSetpoint(); }
    else if (caption == "Initial Setpoint Source") n = model_.SelectInitialSource();
    else if (caption.startsWith("F-EXT1")) n = model_.SelectSioSource();
    else if (caption == "Standard") model_.SetControlType(K::ControlType::Standard);
    else if (caption == "Broadcast") model_.SetControlType(K::ControlType::Broadcast);
    showNotices(n);
    refresh();
}

void CKeypadDlg::onTick()
{
    tickStart_.start();
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
    // The next poll is due 100 ms after this one started, never while it runs.
    const qint64 left = K::kPollMs - tickStart_.elapsed();
    timer_->start(static_cast<int>(std::max<qint64>(1, left)));
}

void CKeypadDlg::refresh()
{
    const auto& v = model_.view();
    status_->setText(QString::fromStdString(v.statusLine));
    p31_->setText(QString::fromStdString(v.p31Text));
    fwd_->setIcon(keypadIcon(v.fwdIcon));
    rev_->setIcon(keypadIcon(v.revIcon));
    stop_->setIcon(keypadIcon(v.stopIcon));
    reset_->setEnabled(v.errorResetEnabled);
    initial_->setChecked(!v.sioSourceChecked && v.sourceRadiosEnabled);
    sio_->setChecked(v.sioSourceChecked);
    initial_->setEnabled(v.sourceRadiosEnabled);
    sio_->setEnabled(v.sourceRadiosEnabled);
    setpoint_->setReadOnly(!v.setpointEditable);
    if (!setpoint_->hasFocus() || !v.setpointEditable)
        setpoint_->setText(QString::fromStdString(v.setpointText));
    inc_->setEnabled(v.incDecEnabled);
    dec_->setEnabled(v.incDecEnabled);
    download_->setEnabled(v.downloadEnabled);
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
