#pragma once
// "Keypad Controls": runs one drive by hand. It shows KeypadWindow's view,
// forwards every button to it and ticks its poll from a timer. The window
// holds its own link, opened while the window lives.
#include <merlin/core/CModbusLink.h>
#include <merlin/core/KeypadWindow.h>

#include <QDialog>

#include <array>
#include <map>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace merlin::ui {

class CKeypadDlg : public QDialog {
    Q_OBJECT
public:
    CKeypadDlg(std::unique_ptr<CModbusLink> link, int station, QWidget* parent = nullptr);
    ~CKeypadDlg() override;

    KeypadWindow& model() { return *model_; }
    QPushButton* button(KeypadWindow::Button which) const { return buttons_.at(which); }
    QCheckBox* bitSwitch(int index) const { return bits_[static_cast<size_t>(index)]; }
    QRadioButton* ext1() const { return ext1_; }
    QRadioButton* ext2() const { return ext2_; }
    QRadioButton* preset() const { return preset_; }
    QComboBox* presetList() const { return presetList_; }
    QLineEdit* speed() const { return speed_; }
    QRadioButton* standard() const { return standard_; }
    QRadioButton* broadcast() const { return broadcast_; }
    QPushButton* detailsButton() const { return details_; }
    QGroupBox* detailsBox() const { return detailsBox_; }
    QLabel* field(const char* name) const;
    QTimer* pollTimer() const { return timer_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QGroupBox* buildRun();
    QGroupBox* buildSpeed();
    QGroupBox* buildBits();
    QGroupBox* buildControlType();
    QGroupBox* buildDetails();
    void press(KeypadWindow::Button which);
    void onTick();
    void takeSpeedText();
    void render();

    std::unique_ptr<CModbusLink> link_;
    std::unique_ptr<KeypadWindow> model_;
    std::map<KeypadWindow::Button, QPushButton*> buttons_;
    std::array<QCheckBox*, 9> bits_{};
    QRadioButton* ext1_ = nullptr;
    QRadioButton* ext2_ = nullptr;
    QRadioButton* preset_ = nullptr;
    QComboBox* presetList_ = nullptr;
    QLineEdit* speed_ = nullptr;
    QRadioButton* standard_ = nullptr;
    QRadioButton* broadcast_ = nullptr;
    QPushButton* details_ = nullptr;
    QGroupBox* detailsBox_ = nullptr;
    std::map<std::string, QLabel*> fields_;
    std::string shownSpeed_;
    QTimer* timer_ = nullptr;
};

}  // namespace merlin::ui
