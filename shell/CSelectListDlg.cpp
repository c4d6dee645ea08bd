#include <shell/CSelectListDlg.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

CSelectListDlg::CSelectListDlg(const SelectList& list, const std::string& hint, QWidget* parent) : QDialog(parent)
{
    setObjectName("selectListDialog");
    setWindowTitle("Software Versions");
    auto* prompt = new QLabel(QString::fromStdString(list.prompt));
    prompt->setObjectName("prompt");
    combo_ = new QComboBox;
    combo_->setObjectName("list");
    for (const auto& e : list.entries) combo_->addItem(QString::fromStdString(e));
    combo_->setCurrentIndex(0);
    auto* hintLine = new QLabel(QString::fromStdString(hint));
    hintLine->setObjectName("hint");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* main = new QVBoxLayout(this);
    main->addWidget(prompt);
    main->addWidget(combo_);
    main->addWidget(hintLine);
    main->addWidget(buttons);
}

QString CSelectListDlg::shownText() const { return combo_->currentText(); }

}  // namespace shell
