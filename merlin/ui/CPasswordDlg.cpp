#include <merlin/ui/CPasswordDlg.h>

#include <merlin/core/TransferDialog.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace merlin::ui {

CPasswordDlg::CPasswordDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("passwordDialog");
    setWindowTitle(TransferDialog::kPasswordTitle);
    auto* prompt = new QLabel(TransferDialog::kPasswordPrompt, this);
    entry_ = new QLineEdit(this);
    entry_->setObjectName("passwordEntry");
    entry_->setEchoMode(QLineEdit::Password);
    entry_->setMaxLength(5);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(entry_, &QLineEdit::textChanged, this, [this] { ok_->setEnabled(password().has_value()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(entry_);
    layout->addWidget(buttons);
    setMinimumWidth(280);
}

std::optional<uint16_t> CPasswordDlg::password() const
{
    return TransferDialog::parsePassword(entry_->text().toStdString());
}

std::optional<uint16_t> CPasswordDlg::ask(QWidget* parent)
{
    CPasswordDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}

}  // namespace merlin::ui
