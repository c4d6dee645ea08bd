#include <merlin/ui/CKeypadDlg.h>

#include <merlin/ui/Notices.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace merlin::ui {

using Button = KeypadWindow::Button;

namespace {

const char* const kExt1Text = "F-EXT1 (SIO)    [Para 203]";
const char* const kExt2Text = "F-EXT2 (SIO)    [Para 205]";

}  // namespace

CKeypadDlg::CKeypadDlg(std::unique_ptr<CModbusLink> link, int station, QWidget* parent)
    : QDialog(parent), link_(std::move(link))
{
    setObjectName("keypadDialog");
    link_->OpenLink();
    model_ = std::make_unique<KeypadWindow>(*link_, station);
    setWindowTitle(QString::fromStdString(model_->view().title));

    auto* left = new QVBoxLayout;
    left->addWidget(buildRun());
    left->addWidget(buildSpeed());
    left->addWidget(buildControlType());
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(buildBits());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    details_ = new QPushButton(this);
    details_->setObjectName("detailsButton");
    connect(details_, &QPushButton::clicked, this, [this] {
        model_->ToggleDetails();
        render();
        adjustSize();
    });
    auto* detailsRow = new QHBoxLayout;
    detailsRow->addStretch();
    detailsRow->addWidget(details_);
    layout->addLayout(detailsRow);
    layout->addWidget(buildDetails());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &CKeypadDlg::onTick);
    timer_->start(keypad::kPollPeriodMs);
    render();
}

CKeypadDlg::~CKeypadDlg()
{
    timer_->stop();
    link_->CloseLink();
}

QGroupBox* CKeypadDlg::buildRun()
{
    auto* box = new QGroupBox("Control", this);
    auto* grid = new QGridLayout(box);
    const std::pair<Button, const char*> run[] = {
        {Button::Fwd, "FWD"}, {Button::Rev, "REV"}, {Button::Stop, "STOP"}, {Button::ErrorReset, "Error Reset"}};
    int column = 0;
    for (const auto& [which, text] : run) {
        auto* b = new QPushButton(text, box);
        b->setObjectName(QString(text).remove(' ').toLower());
        connect(b, &QPushButton::clicked, this, [this, which = which] { press(which); });
        buttons_[which] = b;
        grid->addWidget(b, 0, column++);
    }
    return box;
}

QGroupBox* CKeypadDlg::buildSpeed()
{
    auto* box = new QGroupBox("Speed", this);
    auto* grid = new QGridLayout(box);
    ext1_ = new QRadioButton(kExt1Text, box);
    ext2_ = new QRadioButton(kExt2Text, box);
    preset_ = new QRadioButton("Preset Speed", box);
    for (QRadioButton* r : {ext1_, ext2_, preset_})
        r->setAutoExclusive(false);
    connect(ext1_, &QRadioButton::clicked, this, [this] { press(Button::Ext1); });
    connect(ext2_, &QRadioButton::clicked, this, [this] { press(Button::Ext2); });
    connect(preset_, &QRadioButton::clicked, this, [this] { press(Button::Preset); });
    presetList_ = new QComboBox(box);
    presetList_->setObjectName("presetList");
    for (int k = 0; k < 8; ++k)
        presetList_->addItem(QString::asprintf("Preset %d", k));
    connect(presetList_, &QComboBox::activated, this, [this](int position) {
        model_->SelectPreset(position);
        render();
    });
    speed_ = new QLineEdit(box);
    speed_->setObjectName("speedField");
    connect(speed_, &QLineEdit::editingFinished, this, &CKeypadDlg::takeSpeedText);
    auto* hz = new QLabel("Hz", box);
    grid->addWidget(ext1_, 0, 0, 1, 4);
    grid->addWidget(ext2_, 1, 0, 1, 4);
    grid->addWidget(preset_, 2, 0, 1, 2);
    grid->addWidget(presetList_, 2, 2, 1, 2);
    grid->addWidget(speed_, 3, 0);
    grid->addWidget(hz, 3, 1);
    const std::pair<Button, const char*> change[] = {{Button::Inc, "INC"}, {Button::Dec, "DEC"}, {Button::Download, "Download"}};
    auto* row = new QHBoxLayout;
    for (const auto& [which, text] : change) {
        auto* b = new QPushButton(text, box);
        b->setObjectName(QString(text).toLower());
        connect(b, &QPushButton::clicked, this, [this, which = which] {
            takeSpeedText();
            press(which);
        });
        buttons_[which] = b;
        row->addWidget(b);
    }
    grid->addLayout(row, 3, 2, 1, 2);
    return box;
}

QGroupBox* CKeypadDlg::buildBits()
{
    auto* box = new QGroupBox("Control bits", this);
    auto* column = new QVBoxLayout(box);
    for (size_t k = 0; k < KeypadWindow::kBits.size(); ++k) {
        bits_[k] = new QCheckBox(KeypadWindow::kBitLabels[k], box);
        bits_[k]->setObjectName(QString("bit_") + KeypadWindow::kBitLabels[k]);
        connect(bits_[k], &QCheckBox::clicked, this, [this, k] {
            model_->Toggle(KeypadWindow::kBits[k]);
            render();
        });
        column->addWidget(bits_[k]);
        if (k == 5)
            column->addSpacing(8);
    }
    column->addStretch();
    return box;
}

QGroupBox* CKeypadDlg::buildControlType()
{
    auto* box = new QGroupBox("Control Type", this);
    auto* row = new QHBoxLayout(box);
    standard_ = new QRadioButton("Standard", box);
    broadcast_ = new QRadioButton("Broadcast", box);
    standard_->setChecked(true);
    connect(standard_, &QRadioButton::clicked, this, [this] {
        model_->SetControlType(KeypadWindow::ControlType::Standard);
        render();
    });
    connect(broadcast_, &QRadioButton::clicked, this, [this] {
        model_->SetControlType(KeypadWindow::ControlType::Broadcast);
        render();
    });
    row->addWidget(standard_);
    row->addWidget(broadcast_);
    row->addStretch();
    return box;
}

QGroupBox* CKeypadDlg::buildDetails()
{
    detailsBox_ = new QGroupBox("Control and status words", this);
    auto* form = new QFormLayout(detailsBox_);
    const std::pair<const char*, const char*> rows[] = {
        {"controlWord1", "Control word 1 [201]"}, {"controlWord2", "Control word 2 [202]"},
        {"statusWord1", "Status word 1 [50]"},   {"statusWord2", "Status word 2 [52]"},
        {"enable", "Enable"},                    {"result", "Result"}};
    for (const auto& [name, label] : rows) {
        auto* value = new QLabel(detailsBox_);
        value->setObjectName(name);
        value->setMinimumWidth(80);
        value->setFrameShape(QFrame::StyledPanel);
        fields_[name] = value;
        form->addRow(label, value);
    }
    return detailsBox_;
}

QLabel* CKeypadDlg::field(const char* name) const
{
    const auto it = fields_.find(name);
    return it == fields_.end() ? nullptr : it->second;
}

void CKeypadDlg::press(Button which)
{
    model_->Press(which);
    render();
}

void CKeypadDlg::takeSpeedText()
{
    const std::string typed = speed_->text().toStdString();
    if (typed == model_->view().speed)
        return;
    const auto notices = model_->SetSpeedText(typed);
    if (!notices.empty()) {
        // The poll waits while the message is open.
        timer_->stop();
        showNotices(notices);
        timer_->start(keypad::kPollPeriodMs);
    }
    render();
}

void CKeypadDlg::onTick()
{
    timer_->start(model_->Tick());
    render();
}

void CKeypadDlg::render()
{
    const KeypadWindow::View& v = model_->view();
    fields_["controlWord1"]->setText(QString::fromStdString(v.controlWord1));
    fields_["controlWord2"]->setText(QString::fromStdString(v.controlWord2));
    fields_["statusWord1"]->setText(QString::fromStdString(v.statusWord1));
    fields_["statusWord2"]->setText(QString::fromStdString(v.statusWord2));
    fields_["enable"]->setText(QString::fromStdString(v.enable));
    fields_["result"]->setText(QString::fromStdString(v.result));
    // The field keeps what the user is typing until the speed changes.
    if (v.speed != shownSpeed_) {
        shownSpeed_ = v.speed;
        speed_->setText(QString::fromStdString(v.speed));
    }
    ext1_->setChecked(v.ext1Checked);
    ext2_->setChecked(v.ext2Checked);
    preset_->setChecked(v.presetChecked);
    presetList_->setCurrentIndex(v.presetPosition);
    for (size_t k = 0; k < bits_.size(); ++k) {
        bits_[k]->setChecked(v.bitChecked[k]);
        bits_[k]->setEnabled(v.runEnabled);
    }
    for (Button b : {Button::Fwd, Button::Rev, Button::Stop, Button::ErrorReset})
        buttons_[b]->setEnabled(v.runEnabled);
    for (Button b : {Button::Inc, Button::Dec, Button::Download})
        buttons_[b]->setEnabled(v.speedEnabled);
    speed_->setEnabled(v.speedEnabled);
    ext1_->setEnabled(v.extEnabled);
    ext2_->setEnabled(v.extEnabled);
    preset_->setEnabled(v.presetEnabled);
    presetList_->setEnabled(v.presetEnabled);
    details_->setText(QString::fromStdString(v.detailsButton));
    detailsBox_->setVisible(v.detailsShown);
}

void CKeypadDlg::closeEvent(QCloseEvent* event)
{
    timer_->stop();
    QDialog::closeEvent(event);
}

}  // namespace merlin::ui
