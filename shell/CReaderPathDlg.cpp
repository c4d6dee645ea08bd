#include <shell/CReaderPathDlg.h>
#include <shell/HelpViewer.h>
#include <shell/ShellTexts.h>

#include <platform/FileDialog.h>
#include <platform/MessageBox.h>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

CReaderPathDlg::CReaderPathDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("readerPathDialog");
    setWindowTitle("Parameter Help");
    auto* first = new QLabel(text::kReaderNotFound);
    auto* second = new QLabel(text::kReaderExplain);
    second->setWordWrap(true);
    edit_ = new QLineEdit;
    edit_->setObjectName("readerPath");
    auto* browse = new QPushButton("Browse");
    browse->setObjectName("browseButton");
    connect(browse, &QPushButton::clicked, this, &CReaderPathDlg::onBrowse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &CReaderPathDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(edit_, 1);
    pathRow->addWidget(browse);
    auto* main = new QVBoxLayout(this);
    main->addWidget(first);
    main->addWidget(second);
    main->addLayout(pathRow);
    main->addWidget(buttons);
    resize(460, sizeHint().height());
}

QString CReaderPathDlg::path() const { return edit_->text(); }
void CReaderPathDlg::setPath(const QString& path) { edit_->setText(path); }

void CReaderPathDlg::onBrowse()
{
    platform::FileDialogRequest request;
    request.defaultExtension = "*.exe";
    request.filter = "*.exe||";
    if (auto chosen = platform::askFile(request)) edit_->setText(QString::fromStdString(*chosen));
}

void CReaderPathDlg::accept()
{
    switch (checkReaderPath(edit_->text().toStdString())) {
    case ReaderPathCheck::Empty: platform::showMessage(text::kReaderPathEmpty); return;
    case ReaderPathCheck::Invalid: platform::showMessage(text::kInvalidFile); return;
    case ReaderPathCheck::Ok: QDialog::accept(); return;
    }
}

}  // namespace shell
