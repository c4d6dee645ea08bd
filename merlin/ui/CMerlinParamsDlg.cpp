#include <merlin/ui/CMerlinParamsDlg.h>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace merlin::ui {

namespace {

QSpinBox* spinBox(const char* name, LinkParameters::Range range, const char* suffix)
{
    auto* s = new QSpinBox;
    s->setObjectName(name);
    s->setRange(range.min, range.max);
    s->setSuffix(suffix);
    return s;
}

}  // namespace

CMerlinParamsDlg::CMerlinParamsDlg(const LinkParameters& values, QWidget* parent) : QDialog(parent)
{
    setObjectName("programParametersDialog");
    setWindowTitle("Program Parameters");
    repeats_ = spinBox("repeats", LinkParameters::kRepeats, "");
    timeout_ = spinBox("timeout", LinkParameters::kTimeout, " ms");
    delay_ = spinBox("requestDelay", LinkParameters::kRequestDelay, " ms");
    silent_ = spinBox("silentInterval", LinkParameters::kSilentInterval, " ms");
    auto* form = new QFormLayout;
    form->addRow("Number of repeats", repeats_);
    form->addRow("Timeout", timeout_);
    form->addRow("Request delay", delay_);
    form->addRow("Silent Interval", silent_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* defaults = buttons->addButton("Default", QDialogButtonBox::ResetRole);
    defaults->setObjectName("defaultButton");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, [this] { setValues(LinkParameters::defaults()); });
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(buttons);
    setValues(values);
}

LinkParameters CMerlinParamsDlg::values() const
{
    return {repeats_->value(), timeout_->value(), delay_->value(), silent_->value()};
}

void CMerlinParamsDlg::setValues(const LinkParameters& v)
{
    repeats_->setValue(v.repeats);
    timeout_->setValue(v.timeoutMs);
    delay_->setValue(v.requestDelayMs);
    silent_->setValue(v.silentIntervalMs);
}

bool CMerlinParamsDlg::run(LinkSettings& live, QWidget* parent)
{
    CMerlinParamsDlg dialog(LinkParameters::from(live), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.values().storeInto(live);
    return true;
}

}  // namespace merlin::ui
