#include <shell/CStartupDlg.h>
#include <shell/ShellImages.h>
#include <shell/ShellTexts.h>

#include <platform/MessageBox.h>
#include <platform/qt/QtImages.h>
#include <plumage/plumage.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

CStartupDlg::CStartupDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("startupDialog");
    setWindowTitle(QString::fromStdString(getSoftwareName()));

    auto* picture = new QLabel;
    picture->setObjectName("picture");
    picture->setPixmap(networkPicture());

    auto* logo = new QLabel;
    logo->setObjectName("logo");
    plumage::Bitmap bitmap;
    getLogo(bitmap);  // the library always delivers its logo
    logo->setPixmap(QPixmap::fromImage(platform::qt::toImage(bitmap)));
    logo->setAlignment(Qt::AlignCenter);

    auto* question = new QLabel(text::kStartupQuestion);
    QFont bold = question->font();
    bold.setBold(true);
    question->setFont(bold);
    auto* rules = new QLabel(text::kStartupRules);
    rules->setObjectName("rules");

    auto* yes = new QPushButton("YES");
    yes->setObjectName("yesButton");
    yes->setDefault(true);
    auto* no = new QPushButton("NO");
    no->setObjectName("noButton");
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &CStartupDlg::onNo);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(logo);
    right->addSpacing(12);
    right->addWidget(question);
    right->addWidget(rules);
    right->addStretch();
    right->addLayout(buttons);

    auto* main = new QHBoxLayout(this);
    main->addWidget(picture, 0, Qt::AlignTop);
    main->addSpacing(8);
    main->addLayout(right);
}

void CStartupDlg::onNo()
{
    const auto answer = platform::showMessage(text::kStartupHint, platform::MsgIcon::Exclamation,
                                              platform::MsgButtons::YesNo);
    done(answer == platform::MsgAnswer::Yes ? QDialog::Accepted : QDialog::Rejected);
}

bool CStartupDlg::showStartupDialog(QWidget* parent)
{
    CStartupDlg dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace shell
