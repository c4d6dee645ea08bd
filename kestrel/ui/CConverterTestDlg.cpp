#include <kestrel/ui/CConverterTestDlg.h>
#include <kestrel/ui/UiText.h>

#include <platform/Notice.h>

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
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

using Command = CConverterTest::Command;
using Field = CConverterTestDlg::Field;

// Icons 214 (lit: the line reported it) and 215 (dark).
QPixmap indicatorPixmap(int icon)
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
    top->addLayout(buildFields());
    top->addLayout(buildModes());
    top->addLayout(buildReceive());
    top->addLayout(buildIndicators());
    top->addLayout(buildButtons());
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CConverterTestDlg::onTick);
    refresh();
}

QLayout* CConverterTestDlg::buildFields()
{
    auto* grid = new QGridLayout;
    const CConverterTest::Fields& f = model_.view().fields;
    struct Spec { Field field; const char* label; const std::string* text; int row, col; };
    const Spec specs[] = {
        {Field::Device, "Device", &f.device, 0, 0},   {Field::Parameter, "Parameter", &f.parameter, 1, 0},
        {Field::Value, "Value", &f.value, 2, 0},      {Field::TRts, "t-RTS", &f.tRts, 0, 2},
        {Field::TWait, "t-Wait", &f.tWait, 1, 2},     {Field::TCycle, "t-Cycle", &f.tCycle, 2, 2},
    };
    for (const Spec& s : specs) {
        auto* label = new QLabel(tr(s.label), this);
        auto* edit = new QLineEdit(utf8Text(*s.text), this);
        edit->setObjectName(QString(s.label) + "Edit");
        grid->addWidget(label, s.row, s.col);
        grid->addWidget(edit, s.row, s.col + 1);
        edits_[s.field] = edit;
        labels_[s.field] = label;
    }
    edits_[Field::Value]->setMaxLength(4);
    return grid;
}

QLayout* CConverterTestDlg::buildModes()
{
    auto* row = new QHBoxLayout;
    auto* read = new QRadioButton(tr("Read"), this);
    auto* write = new QRadioButton(tr("Write"), this);
    read->setChecked(true);
    buttons_[Command::ReadMode] = read;
    buttons_[Command::WriteMode] = write;
    connect(read, &QRadioButton::clicked, this, [this] { press(Command::ReadMode); });
    connect(write, &QRadioButton::clicked, this, [this] { press(Command::WriteMode); });
    row->addWidget(read);
    row->addWidget(write);
    row->addStretch();
    stopOnError_ = new QCheckBox(tr("Stop On Error"), this);
    connect(stopOnError_, &QCheckBox::toggled, this, [this](bool on) { model_.SetStopOnError(on); });
    row->addWidget(stopOnError_);
    return row;
}

QLayout* CConverterTestDlg::buildReceive()
{
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(tr("Receive"), this));
    receive_ = new QLineEdit(this);
    receive_->setObjectName("receiveEdit");
    receive_->setReadOnly(true);
    QFont mono("Courier New");
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    receive_->setFont(mono);
    column->addWidget(receive_);
    return column;
}

QLayout* CConverterTestDlg::buildIndicators()
{
    auto* row = new QHBoxLayout;
    break_ = new QLabel(this);
    frame_ = new QLabel(this);
    row->addWidget(break_);
    row->addWidget(new QLabel(tr("BREAK"), this));
    row->addWidget(frame_);
    row->addWidget(new QLabel(tr("FRAME"), this));
    row->addStretch();
    return row;
}

QLayout* CConverterTestDlg::buildButtons()
{
    auto* row = new QHBoxLayout;
    row->addWidget(addButton(Command::StartStop, tr("Start")));
    row->addWidget(addButton(Command::OneShot, tr("One Shot")));
    row->addWidget(addButton(Command::Reset, tr("Reset")));
    row->addWidget(addButton(Command::ReadErrorRegister, tr("Read \"AC\"")));
    row->addWidget(addButton(Command::End, tr("End")));
    return row;
}

QPushButton* CConverterTestDlg::addButton(Command which, const QString& text)
{
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    buttons_[which] = b;
    connect(b, &QPushButton::clicked, this, [this, which] { press(which); });
    return b;
}

CConverterTest::Fields CConverterTestDlg::typedFields() const
{
    CConverterTest::Fields f;
    f.device = edits_.at(Field::Device)->text().toStdString();
    f.parameter = edits_.at(Field::Parameter)->text().toStdString();
    f.value = edits_.at(Field::Value)->text().toStdString();
    f.tRts = edits_.at(Field::TRts)->text().toStdString();
    f.tWait = edits_.at(Field::TWait)->text().toStdString();
    f.tCycle = edits_.at(Field::TCycle)->text().toStdString();
    f.stopOnError = stopOnError_->isChecked();
    f.writeMode = buttons_.at(Command::WriteMode)->isChecked();
    return f;
}

void CConverterTestDlg::press(Command which)
{
    const CConverterTest::Reaction r = model_.Press(which, typedFields());
    if (r.stopTimer) timer_->stop();
    if (r.startTimerMs > 0) timer_->start(r.startTimerMs);
    refresh();
    if (r.notice) platform::show(*r.notice);
    if (r.close) QDialog::done(QDialog::Accepted);
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

void CConverterTestDlg::done(int result)
{
    // Closed by Escape or the close box: ends like "End".
    if (!model_.ended()) {
        press(Command::End);
        return;
    }
    QDialog::done(result);
}

void CConverterTestDlg::refresh()
{
    const auto& v = model_.view();
    receive_->setText(utf8Text(v.receive));
    break_->setPixmap(indicatorPixmap(v.breakIcon));
    frame_->setPixmap(indicatorPixmap(v.frameIcon));
    buttons_.at(Command::StartStop)->setText(utf8Text(v.startText));
    buttons_.at(Command::OneShot)->setEnabled(v.oneShotEnabled);
    for (auto& [field, e] : edits_) e->setReadOnly(v.editsReadOnly);
    buttons_.at(v.fields.writeMode ? Command::WriteMode : Command::ReadMode)->setChecked(true);
    edits_.at(Field::Value)->setVisible(v.valueVisible);
    labels_.at(Field::Value)->setVisible(v.valueVisible);
}

}  // namespace kestrel
