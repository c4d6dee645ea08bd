#include <kestrel/ui/CProgramParamsDlg.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kestrel {

namespace {

QSpinBox* spinBox(const char* name, IntRange range, const char* suffix)
{
    auto* s = new QSpinBox;
    s->setObjectName(name);
    s->setRange(range.min, range.max);
    s->setSuffix(suffix);
    return s;
}

}  // namespace

CProgramParamsDlg::CProgramParamsDlg(const ProgramParameters& values, QWidget* parent) : QDialog(parent)
{
    setObjectName("programParametersDialog");
    setWindowTitle("Program Parameters");
    repeat_ = spinBox("repeat", kRepeatRange, "");
    delay_ = spinBox("delayNak", kDelayRange, " ms");
    tRts_ = spinBox("tRts", kDelayRange, " ms");
    tWait_ = spinBox("tWait", kDelayRange, " ms");
    rts_ = new QCheckBox("RTS");
    rts_->setObjectName("rts");

    auto* form = new QFormLayout;
    form->addRow("Number of repeats", repeat_);
    form->addRow("Delay time after", delay_);
    form->addRow("t-RTS", tRts_);
    form->addRow("t-Wait", tWait_);
    form->addRow(QString(), rts_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* defaults = buttons->addButton("Default", QDialogButtonBox::ResetRole);
    defaults->setObjectName("defaultButton");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, [this] { setValues(ProgramParameters::defaults()); });

    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(buttons);
    setValues(values);
}

ProgramParameters CProgramParamsDlg::values() const
{
    return {repeat_->value(), delay_->value(), tRts_->value(), tWait_->value(), rts_->isChecked()};
}

void CProgramParamsDlg::setValues(const ProgramParameters& v)
{
    repeat_->setValue(v.repeat);
    delay_->setValue(v.delayNak);
    tRts_->setValue(v.tRts);
    tWait_->setValue(v.tWait);
    rts_->setChecked(v.rts);
}

bool CProgramParamsDlg::run(TelegramSettings& live, QWidget* parent)
{
    CProgramParamsDlg dialog(ProgramParameters::from(live), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.values().storeInto(live);
    return true;
}

}  // namespace kestrel
