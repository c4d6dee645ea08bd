#pragma once
// "Keypad Controls": the modeless window that runs one drive by hand. It
// shows CKeypadControl's view, forwards every click to it and ticks its poll
// from a timer: the next poll is due 100 ms after the previous one ended. A
// button pressed while another operation holds the line runs on the next
// tick; closing is decided by the next tick's close check (the drive must
// stand still).
#include <kestrel/core/CKeypadControl.h>

#include <QDialog>

#include <map>

class QAbstractButton;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kestrel {

class CKeypadDlg : public QDialog {
    Q_OBJECT
public:
    using Button = CKeypadControl::Button;

    // For the current device address.
    CKeypadDlg(CTelegram& telegram, QWidget* parent = nullptr);
    ~CKeypadDlg() override;

    const CKeypadControl& model() const { return model_; }
    // The window is active for the poll (tests run without a focus).
    void setActiveOverride(bool active) { activeOverride_ = active ? 1 : 0; }

    // The widgets, for tests and the demo to click and type into.
    QAbstractButton* button(Button which) const { return buttons_.at(which); }
    QLineEdit* setpointField() const { return setpoint_; }
    QPushButton* closeButton() const { return close_; }
    QTimer* pollTimer() const { return timer_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override { model_.RequestClose(); }

private:
    QGroupBox* buildControlType();
    QGroupBox* buildControls();
    QGroupBox* buildSetpoint();
    QLayout* buildStatusRow();
    QPushButton* addPushButton(Button which, const QString& text, QWidget* parent);
    QRadioButton* addRadioButton(Button which, const QString& text, QWidget* parent);
    void press(Button which);
    void onTick();
    void refresh();
    void showNotices(const std::vector<platform::Notice>& notices);
    bool windowActive() const;

    CKeypadControl model_;
    QTimer* timer_ = nullptr;
    bool opened_ = false;
    bool closing_ = false;
    int activeOverride_ = -1;
    std::map<Button, QAbstractButton*> buttons_;
    QLineEdit* p31_ = nullptr;
    QLineEdit* setpoint_ = nullptr;
    QLineEdit* status_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace kestrel
