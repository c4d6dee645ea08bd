#include <shell/CAboutDlg.h>
#include <shell/InstallLocator.h>
#include <shell/ShellImages.h>
#include <shell/ShellTexts.h>

#include <plumage/plumage.h>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace shell {

std::string aboutText(const std::string& softwareName, bool dummy)
{
    std::string t = softwareName + "\nVersion " + kCurrentVersion + ".2";
    if (dummy) {
        t += "  ( ";
        t += text::kBuildDate;
        t += " )";
    }
    return t;
}

CAboutDlg::CAboutDlg(bool dummy, QWidget* parent) : QDialog(parent)
{
    setObjectName("aboutDialog");
    const std::string name = getSoftwareName();
    setWindowTitle(QString::fromStdString("About " + name));

    auto* icon = new QLabel;
    icon->setPixmap(aboutPicture());
    auto* line = new QLabel(QString::fromStdString(aboutText(name, dummy)));
    line->setObjectName("aboutText");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addWidget(line, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(buttons);
}

}  // namespace shell
