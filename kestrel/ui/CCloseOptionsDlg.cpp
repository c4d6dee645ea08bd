#include <kestrel/ui/CCloseOptionsDlg.h>

#include <plumage/plumage.h>

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrel {

CCloseOptionsDlg::CCloseOptionsDlg(const std::string& message, bool savingEnabled, QWidget* parent)
    : QDialog(parent)
{
    setObjectName("closeOptionsDialog");
    setWindowTitle(QString::fromStdString(getCompanyName()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("You are about to close this list."));
    auto* text = new QLabel(QString::fromStdString(message));
    text->setObjectName("closeMessage");
    text->setWordWrap(true);
    text->setMinimumWidth(360);
    layout->addWidget(text);
    layout->addWidget(new QLabel("What would you like to do ?"));
    auto* box = new QGroupBox;
    auto* choices = new QVBoxLayout(box);
    nothing_ = new QRadioButton("store nothing");
    save_ = new QRadioButton("save to file");
    download_ = new QRadioButton("download to inverter");
    upload_ = new QRadioButton("upload and save to file");
    for (QRadioButton* b : {nothing_, save_, download_, upload_}) choices->addWidget(b);
    download_->setChecked(true);
    save_->setEnabled(savingEnabled);
    upload_->setEnabled(savingEnabled);
    layout->addWidget(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CloseAction CCloseOptionsDlg::choice() const
{
    if (nothing_->isChecked()) return CloseAction::StoreNothing;
    if (save_->isChecked()) return CloseAction::SaveToFile;
    if (upload_->isChecked()) return CloseAction::UploadAndSave;
    return CloseAction::Download;
}

CloseAction CCloseOptionsDlg::ask(const std::string& message, bool savingEnabled, QWidget* parent)
{
    CCloseOptionsDlg dlg(message, savingEnabled, parent);
    return dlg.exec() == QDialog::Accepted ? dlg.choice() : CloseAction::Keep;
}

}  // namespace kestrel
