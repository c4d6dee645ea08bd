#include <kestrel/ui/CParamSetDlg.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrel {

CParamSetDlg::CParamSetDlg(const std::string& conflictText, int listSet, QWidget* parent) : QDialog(parent)
{
    setObjectName("paramSetDialog");
    setWindowTitle(tr("Parameter Set Conflict"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(conflictText), this));
    for (int i = 0; i < 3; ++i) {
        sets_[i] = new QRadioButton(tr("download list into parameter set %1").arg(i + 1), this);
        layout->addWidget(sets_[i]);
    }
    choose(listSet);
    auto* warning = new QLabel(tr("Warning !\n\nIf you select a different parameter set, the active parameter set "
                                  "in the device will be changed to the selected set."),
                               this);
    warning->setWordWrap(true);
    layout->addWidget(warning);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

void CParamSetDlg::choose(int set)
{
    if (set >= 1 && set <= 3)
        sets_[set - 1]->setChecked(true);
}

int CParamSetDlg::chosenSet() const
{
    for (int i = 0; i < 3; ++i)
        if (sets_[i]->isChecked())
            return i + 1;
    return 0;
}

int askParameterSet(const std::string& conflictText, int listSet, QWidget* parent)
{
    CParamSetDlg dlg(conflictText, listSet, parent);
    return dlg.exec() == QDialog::Accepted ? dlg.chosenSet() : 0;
}

}  // namespace kestrel
