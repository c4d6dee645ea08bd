#include <shell/CPortsDlg.h>

#include <platform/PortMap.h>

#include <QComboBox>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace shell {

CPortsDlg::CPortsDlg(PortsDialogModel& model, QWidget* parent) : QDialog(parent), model_(model)
{
    setObjectName("portsDialog");
    setWindowTitle("Ports");
    auto* grid = new QGridLayout;
    const PortsView& v = model_.view();
    for (const auto& m : v.mappings) {
        const int row = m.com - 1;
        grid->addWidget(new QLabel(QString::fromStdString(platform::comPortName(m.com))), row, 0);
        auto* box = new QComboBox;
        box->setObjectName(QString::fromStdString("device" + platform::comPortName(m.com)));
        box->setEditable(true);
        // Wide enough for the longest adapter's maker, model and serial (a
        // screen's worth at most), and showing a text from its beginning.
        int longest = 40;
        for (const auto& label : v.deviceLabels) {
            box->addItem(QString::fromStdString(label));
            longest = std::max(longest, static_cast<int>(label.size()));
        }
        box->setMinimumContentsLength(std::min(longest, 90));
        box->setCurrentIndex(-1);
        box->setEditText(QString::fromStdString(m.device));
        box->lineEdit()->setCursorPosition(0);
        grid->addWidget(box, row, 1);
        auto* present = new QLabel(m.present ? "present" : "not present");
        grid->addWidget(present, row, 2);
        choices_.push_back(box);
        presence_.push_back(present);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPortsDlg::onOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(v.devices.empty() ? "No serial adapter was found."
                                                   : "Choose the adapter (or type a device or tcp:// or rfc2217:// "
                                                     "address) for each COM number:"));
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void CPortsDlg::onOk()
{
    const PortsView& v = model_.view();
    for (size_t i = 0; i < choices_.size(); ++i) {
        const int com = int(i) + 1;
        const std::string text = choices_[i]->currentText().toStdString();
        const auto it = std::find(v.deviceLabels.begin(), v.deviceLabels.end(), text);
        if (it != v.deviceLabels.end()) {
            model_.choose(com, size_t(it - v.deviceLabels.begin()));
        } else if (text != v.mappings[i].device) {
            for (const auto& n : model_.enter(com, text)) {
                platform::show(n);
                return;
            }
        }
    }
    for (const auto& n : model_.save()) platform::show(n);
    accept();
}

}  // namespace shell
