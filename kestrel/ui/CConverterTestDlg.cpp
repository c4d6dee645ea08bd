#include <kestrel/ui/CConverterTestDlg.h>

#include <platform/Notice.h>

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kestrel {

namespace {

// Icons 214 (lit: the line reported it) and 215 (dark).
QPixmap indicator(int icon)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(icon == CConverterTest::kIconLit ? QColor(230, 30, 30) : QColor(170, 170, 170));
    p.drawEllipse(2, 2, 12, 12);
    return pm;
}

}  // namespace

CConverterTestDlg::CConverterTestDlg(CTelegram& telegram, QWidget* parent) : QDialog(parent), model_(telegram)
{
    setObjectName("converterTestDialog");
    setWindowTitle(tr("Converter Test"));
    auto* top = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    auto edit = [&](const QString& label, int row, int col) {
        auto* e = new QLineEdit(this);
        auto* l = new QLabel(label, this);
        l->setObjectName(label + "Label");
        fields->addWidget(l, row, col);
        fields->addWidget(e, row, col + 1);
        return e;
    };
    device_ = edit(tr("Device"), 0, 0);
    parameter_ = edit(tr("Parameter"), 1, 0);
    value_ = edit(tr("Value"), 2, 0);
    value_->setMaxLength(4);
    tRts_ = edit(tr("t-RTS"), 0, 2);
    tWait_ = edit(tr("t-Wait"), 1, 2);
    tCycle_ = edit(tr("t-Cycle"), 2, 2);
    top->addLayout(fields);

    auto* modes = new QHBoxLayout;
    read_ = new QRadioButton(tr("Read"), this);
    write_ = new QRadioButton(tr("Write"), this);
    read_->setChecked(true);
    modes->addWidget(read_);
    modes->addWidget(write_);
    auto* echo = new QGroupBox(tr("Echo"), this);
    auto* el = new QHBoxLayout(echo);
    for (const char* t : {"None", "Auto", "Required"})
        el->addWidget(new QRadioButton(tr(t), echo));
    modes->addWidget(echo);
    top->addLayout(modes);

    top->addWidget(new QLabel(tr("Receive"), this));
    receive_ = new QLineEdit(this);
    receive_->setReadOnly(true);
    QFont mono("Courier New");
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    receive_->setFont(mono);
    top->addWidget(receive_);

    auto* lights = new QHBoxLayout;
    break_ = new QLabel(this);
    frame_ = new QLabel(this);
    lights->addWidget(break_);
    lights->addWidget(new QLabel(tr("BREAK"), this));
    lights->addWidget(frame_);
    lights->addWidget(new QLabel(tr("FRAME"), this));
    lights->addStretch();
    stopOnError_ = new QCheckBox(tr("Stop On Error"), this);
    lights->addWidget(stopOnError_);
    top->addLayout(lights);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(tr("Start"), this);
    oneShot_ = new QPushButton(tr("One Shot"), this);
    auto* reset = new QPushButton(tr("Reset"), this);
    auto* readAc = new QPushButton(tr("Read \"AC\""), this);
    auto* end = new QPushButton(tr("End"), this);
    for (QPushButton* b : {start_, oneShot_, reset, readAc, end})
        buttons->addWidget(b);
    top->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, [this] { press(start_->text()); });
    connect(oneShot_, &QPushButton::clicked, this, [this] { press("One Shot"); });
    connect(reset, &QPushButton::clicked, this, [this] { press("Reset"); });
    connect(readAc, &QPushButton::clicked, this, [this] { press("AC"); });
    connect(end, &QPushButton::clicked, this, [this] { press("End"); });
    connect(read_, &QRadioButton::clicked, this, [this] { press("Read"); });
    connect(write_, &QRadioButton::clicked, this, [this] { press("Write"); });
    connect(stopOnError_, &QCheckBox::toggled, this, [this](bool on) { model_.SetStopOnError(on); });

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CConverterTestDlg::onTick);
    const auto& f = model_.view().fields;
    device_->setText(QString::fromStdString(f.device));
    parameter_->setText(QString::fromStdString(f.parameter));
    value_->setText(QString::fromStdString(f.value));
    tRts_->setText(QString::fromStdString(f.tRts));
    tWait_->setText(QString::fromStdString(f.tWait));
    tCycle_->setText(QString::fromStdString(f.tCycle));
    refresh();
}

void CConverterTestDlg::setField(const QString& name, const QString& text)
{
    QLineEdit* e = name == "Device" ? device_ : name == "Parameter" ? parameter_ : name == "Value" ? value_
                 : name == "t-RTS" ? tRts_ : name == "t-Wait" ? tWait_ : name == "t-Cycle" ? tCycle_ : nullptr;
    if (e)
        e->setText(text);
    if (name == "Stop On Error")
        stopOnError_->setChecked(text == "1");
}

bool CConverterTestDlg::takeFields()
{
    CConverterTest::Fields f;
    f.device = device_->text().toStdString();
    f.parameter = parameter_->text().toStdString();
    f.value = value_->text().toStdString();
    f.tRts = tRts_->text().toStdString();
    f.tWait = tWait_->text().toStdString();
    f.tCycle = tCycle_->text().toStdString();
    f.stopOnError = stopOnError_->isChecked();
    f.writeMode = write_->isChecked();
    if (auto n = model_.SetFields(f)) {
        platform::show(*n);
        return false;
    }
    return true;
}

void CConverterTestDlg::press(const QString& caption)
{
    if (caption == "One Shot") {
        if (takeFields())
            model_.OneShot();
    } else if (caption == "AC") {
        if (takeFields())
            model_.ReadErrorRegister();
    } else if (caption == "Start") {
        if (takeFields())
            timer_->start(std::max(1, model_.Start()));
    } else if (caption == "Stop") {
        timer_->stop();
        model_.Stop();
    } else if (caption == "Reset") {
        model_.Reset();
    } else if (caption == "Read" || caption == "Write") {
        (caption == "Write" ? write_ : read_)->setChecked(true);
        model_.SetWriteMode(caption == "Write");
    } else if (caption == "End") {
        timer_->stop();
        takeFields();
        model_.End();
        refresh();
        QDialog::accept();
        return;
    }
    refresh();
}

void CConverterTestDlg::onTick()
{
    if (!model_.view().running) {
        timer_->stop();
        return;
    }
    model_.Tick();
    refresh();
}

void CConverterTestDlg::refresh()
{
    const auto& v = model_.view();
    receive_->setText(QString::fromStdString(v.receive));
    break_->setPixmap(indicator(v.breakIcon));
    frame_->setPixmap(indicator(v.frameIcon));
    start_->setText(QString::fromStdString(v.startText));
    oneShot_->setEnabled(v.oneShotEnabled);
    for (QLineEdit* e : {device_, parameter_, value_, tRts_, tWait_, tCycle_})
        e->setReadOnly(v.editsReadOnly);
    value_->setVisible(v.valueVisible);
    if (auto* l = findChild<QLabel*>("ValueLabel"))
        l->setVisible(v.valueVisible);
}

}  // namespace kestrel
