#include <shell/CCommDlg.h>
#include <shell/ShellContext.h>
#include <shell/ShellTexts.h>

#include <platform/MessageBox.h>
#include <platform/PortMap.h>

#include <shell/CPortsDlg.h>

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shell {

CCommDlg::CCommDlg(CommDialogModel& model, QWidget* parent) : QDialog(parent), model_(model)
{
    setObjectName("commDialog");
    setWindowTitle("Communication Settings");

    dontShow_ = new QCheckBox("Should not appear the next time I start the application");
    dontShow_->setObjectName("dontShowAgain");
    dontShow_->setVisible(model_.checkBoxVisible());

    auto* ok = new QPushButton("OK");
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto* help = new QPushButton("HELP");
    help->setObjectName("helpButton");
    connect(ok, &QPushButton::clicked, this, &CCommDlg::onOk);
    connect(help, &QPushButton::clicked, this, &CCommDlg::onHelp);

    auto* groups = new QHBoxLayout;
    groups->addWidget(baudGroup());
    auto* middle = new QVBoxLayout;
    middle->addWidget(portGroup());
    middle->addWidget(protocolGroup());
    middle->addStretch();
    groups->addLayout(middle);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(help);
    buttons->addStretch();
    groups->addLayout(buttons);

    auto* main = new QVBoxLayout(this);
    main->addLayout(groups);
    main->addWidget(dontShow_);

    const CommChoice initial = model_.initialChoice();
    if (auto it = baud_.find(initial.baud); it != baud_.end()) it->second->setChecked(true);
    if (auto it = port_.find(initial.port); it != port_.end()) it->second->setChecked(true);
    (initial.protocol == "7E1" ? protocol7E1_ : protocol8N1_)->setChecked(true);
}

QWidget* CCommDlg::baudGroup()
{
    auto* box = new QGroupBox("Baud Rate (bps)");
    auto* layout = new QVBoxLayout(box);
    for (const auto& rate : CommDialogModel::baudRates()) {
        auto* b = new QRadioButton(QString::fromStdString(rate));
        b->setObjectName(QString::fromStdString("baud" + rate));
        b->setEnabled(CommDialogModel::baudSelectable(rate));
        baud_[rate] = b;
        layout->addWidget(b);
    }
    return box;
}

QWidget* CCommDlg::portGroup()
{
    auto* box = new QGroupBox("COM Port");
    auto* layout = new QGridLayout(box);
    for (int n = 1; n <= kDialogPorts; ++n) {
        const QString name = QString::fromStdString(platform::comPortName(n));
        auto* b = new QRadioButton(name);
        b->setObjectName("port" + name);
        b->setEnabled(model_.portAvailable(n));
        port_[n] = b;
        layout->addWidget(b, n - 1, 0);
        // Where the number leads, so the user sees which adapter is which.
        auto* device = new QLabel;
        device->setObjectName("device" + name);
        device_[n] = device;
        layout->addWidget(device, n - 1, 1);
    }
    auto* ports = new QPushButton("Ports...");
    ports->setObjectName("portsButton");
    connect(ports, &QPushButton::clicked, this, &CCommDlg::onPorts);
    layout->addWidget(ports, kDialogPorts, 0, 1, 2);
    refreshDevices();
    return box;
}

QWidget* CCommDlg::protocolGroup()
{
    auto* box = new QGroupBox("Protocol");
    auto* layout = new QVBoxLayout(box);
    protocol7E1_ = new QRadioButton("7E1");
    protocol7E1_->setObjectName("protocol7E1");
    protocol7E1_->setEnabled(false);
    protocol8N1_ = new QRadioButton("8N1");
    protocol8N1_->setObjectName("protocol8N1");
    layout->addWidget(protocol7E1_);
    layout->addWidget(protocol8N1_);
    return box;
}

CommChoice CCommDlg::currentChoice() const
{
    CommChoice c;
    for (const auto& [rate, button] : baud_)
        if (button->isChecked()) c.baud = rate;
    for (const auto& [n, button] : port_)
        if (button->isChecked()) c.port = n;
    c.protocol = protocol7E1_->isChecked() ? "7E1" : "8N1";
    c.dontShowAgain = model_.checkBoxVisible() && dontShow_->isChecked();
    return c;
}

void CCommDlg::onOk()
{
    const CommChoice choice = currentChoice();
    hide();
    model_.accept(choice);
    accept();
}

void CCommDlg::onHelp() { platform::showMessage(text::kPortHelp, platform::MsgIcon::Information); }

void CCommDlg::onPorts()
{
    PortsDialogModel ports;
    CPortsDlg dialog(ports, this);
    if (dialog.exec() == QDialog::Accepted) refreshDevices();
}

void CCommDlg::refreshDevices()
{
    for (auto& [n, label] : device_) label->setText(QString::fromStdString(comEntryText(n)));
}

CCommDlg::Outcome CCommDlg::run(ShellContext& context, const PortSource& source, bool atStart, QWidget* parent,
                                PortTestTiming timing)
{
    CommDialogModel model(context, source, atStart);
    model.setTestTiming(timing);
    if (!model.probe()) return Outcome::NoPort;
    CCommDlg dialog(model, parent);
    if (dialog.exec() == QDialog::Accepted) return Outcome::Accepted;
    // Closed without OK: at start the stored settings still have to reach
    // the telegram object.
    if (atStart) context.applySettings();
    return Outcome::Cancelled;
}

}  // namespace shell
