#include <merlin/ui/CModbusTestDlg.h>

#include <platform/PortMap.h>
#include <shell/PortsDialogModel.h>

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace merlin::ui {

namespace {

QSpinBox* spinBox(int min, int max, int value)
{
    auto* s = new QSpinBox;
    s->setRange(min, max);
    s->setValue(value);
    return s;
}

}  // namespace

CModbusTestDlg::CModbusTestDlg(std::unique_ptr<CModbusLink> link, int comPort, QWidget* parent)
    : QDialog(parent), link_(std::move(link)), tool_(*link_)
{
    setObjectName("modbusTestDialog");
    setWindowTitle("Modbus Test");
    station_ = spinBox(0, 247, tool_.station);
    address_ = spinBox(1, 65536, tool_.address);
    count_ = spinBox(1, ModbusTestTool::kMaxCount, tool_.count);
    value_ = spinBox(-32768, 65535, tool_.value);
    polling_ = new QCheckBox("Polling (ms)");
    period_ = spinBox(1, 60000, tool_.periodMs);
    auto* form = new QFormLayout;
    if (comPort > 0) {
        auto* line = new QLabel(QString::fromStdString(shell::comEntryText(comPort)));
        line->setObjectName("lineDevice");
        form->addRow(QString::fromStdString(platform::comPortName(comPort)), line);
    }
    form->addRow("Station", station_);
    form->addRow("Address", address_);
    form->addRow("Count", count_);
    form->addRow("Value", value_);
    form->addRow(polling_, period_);
    result_ = new QLabel;
    list_ = new QListWidget;
    auto* buttons = new QHBoxLayout;
    auto* readButton = new QPushButton("Read");
    auto* writeButton = new QPushButton("Write");
    auto* endButton = new QPushButton("End");
    buttons->addWidget(readButton);
    buttons->addWidget(writeButton);
    buttons->addWidget(endButton);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(result_);
    main->addWidget(list_);
    main->addLayout(buttons);
    connect(readButton, &QPushButton::clicked, this, &CModbusTestDlg::read);
    connect(writeButton, &QPushButton::clicked, this, &CModbusTestDlg::write);
    connect(endButton, &QPushButton::clicked, this, &QDialog::accept);
    tool_.open();
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &CModbusTestDlg::onTick);
    timer_->start(tool_.periodMs);
}

CModbusTestDlg::~CModbusTestDlg()
{
    timer_->stop();
    tool_.close();
}

void CModbusTestDlg::takeEntries()
{
    tool_.station = station_->value();
    tool_.address = address_->value();
    tool_.count = count_->value();
    tool_.value = value_->value();
    tool_.polling = polling_->isChecked();
    tool_.periodMs = period_->value();
}

void CModbusTestDlg::read()
{
    takeEntries();
    tool_.read();
    render();
}

void CModbusTestDlg::write()
{
    takeEntries();
    tool_.write();
    render();
}

void CModbusTestDlg::onTick()
{
    takeEntries();
    const int period = tool_.tick();
    render();
    timer_->start(period);
}

void CModbusTestDlg::render()
{
    result_->setText(QString::fromStdString(tool_.resultText()));
    QStringList texts;
    for (const std::string& v : tool_.values())
        texts << QString::fromStdString(v);
    if (values() != texts) {
        list_->clear();
        list_->addItems(texts);
    }
}

QString CModbusTestDlg::resultText() const
{
    return result_->text();
}

QStringList CModbusTestDlg::values() const
{
    QStringList out;
    for (int i = 0; i < list_->count(); ++i)
        out << list_->item(i)->text();
    return out;
}

}  // namespace merlin::ui
